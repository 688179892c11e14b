#include "ui/progress_dlg.h"

#include <utility>

#include "res/resource.h"

CProgressDlg::CProgressDlg(CWnd* parent) : CDialog(IDD_PROGRESS, parent) {}

void CProgressDlg::SetStepText(std::string text) { m_stepText = std::move(text); }

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
