// Window wrappers of the dialog layer: a window handle with its text, the
// three kinds of control that dialogs bind, and the paint context.
#pragma once

#include <windows.h>

#include <string>

// A window the program talks to. It does not own the window: whoever created
// it destroys it.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd) != FALSE; }
  void Attach(HWND hWnd) { m_hWnd = hWnd; }
  void Detach() { m_hWnd = nullptr; }

  // Both do nothing while no window is attached (an empty text is read).
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

 protected:
  HWND m_hWnd = nullptr;
};

class CStatic : public CWnd {};
class CEdit : public CWnd {};

class CButton : public CWnd {
 public:
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

// BeginPaint ... EndPaint on one window, for the lifetime of this object.
class CPaintDC {
 public:
  explicit CPaintDC(const CWnd& wnd);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }

 private:
  HWND m_hWnd;
  PAINTSTRUCT m_ps;
  HDC m_hDC;
};
