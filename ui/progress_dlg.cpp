#include "ui/progress_dlg.h"

#include <utility>

#include "res/resource.h"

CProgressDlg::CProgressDlg(CWnd* parent) : CDialog(IDD_PROGRESS, parent) {}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::SetStepText(std::string text) { m_stepText = std::move(text); }

void CProgressDlg::DoDataExchange(CDataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDC_DETAIL_LINE, m_detailLine);
  dx.Control(IDC_TITLE_LINE, m_titleLine);
  dx.Text(IDC_TITLE_LINE, m_stepText);
}
