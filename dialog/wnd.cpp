#include "dialog/wnd.h"

#include <vector>

void CWnd::SetWindowText(const std::string& text) {
  if (m_hWnd != nullptr) ::SetWindowTextA(m_hWnd, text.c_str());
}

std::string CWnd::GetWindowText() const {
  if (m_hWnd == nullptr) return std::string();
  const int length = ::GetWindowTextLengthA(m_hWnd);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(m_hWnd, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (m_hWnd == nullptr) return 0;
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

CPaintDC::CPaintDC(const CWnd& wnd) : m_hWnd(wnd.GetSafeHwnd()), m_ps() {
  m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
