#include "ui/progress_dlg.h"

#include <utility>

#include "res/resource.h"

constexpr UINT kRedrawNow = 0x105;  // RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW

CProgressDlg::CProgressDlg(CWnd* parent) : CDialog(IDD_PROGRESS, parent) {}

void CProgressDlg::SetStepText(std::string text) { m_stepText = std::move(text); }

bool CProgressDlg::Create() { return CDialog::Create(IDD_PROGRESS); }

void CProgressDlg::SetTitleLine(const std::string& text) { WriteLine(m_titleLine, text); }

void CProgressDlg::SetDetailLine(const std::string& text) { WriteLine(m_detailLine, text); }

void CProgressDlg::WriteLine(CStatic& line, const std::string& text) {
  if (!IsWindow()) return;  // the controls' handles die with the window
  line.SetWindowText(text);
  ::UpdateWindow(m_hWnd);
}

void CProgressDlg::Redraw() {
  if (IsWindow()) ::RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawNow);
}

void CProgressDlg::BringToTop() {
  if (IsWindow()) ::BringWindowToTop(m_hWnd);
}

void CProgressDlg::DoDataExchange(CDataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDC_DETAIL_LINE, m_detailLine);
  dx.Control(IDC_TITLE_LINE, m_titleLine);
  dx.Text(IDC_TITLE_LINE, m_stepText);
}

// IDOK and IDCANCEL would end the window as a dialog, re-enabling its owner
// in the middle of the run; WM_CLOSE reaches here as IDCANCEL.
bool CProgressDlg::OnClicked(UINT id) {
  if (id == IDOK || id == IDCANCEL) return true;
  return CDialog::OnClicked(id);
}

bool CProgressDlg::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == SC_CLOSE) return true;
  return CDialog::OnSysCommand(id, lParam);
}
