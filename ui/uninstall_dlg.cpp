#include "ui/uninstall_dlg.h"

#include "dialog/win_app.h"
#include "location/install_location.h"
#include "res/resource.h"
#include "shared/texts.h"
#include "ui/about_dlg.h"
#include "ui/icon_centre.h"

// The system-command ids that the About item answers to: the low four bits
// are the system's own and are masked off.
constexpr UINT kSysCommandMask = 0xFFF0;

CUninstallDlg::CUninstallDlg(IWindowsServices& services, CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      MainWindowUi(*this, m_status, m_locationEdit, m_progress),
      m_services(services),
      m_engine(services, *this, m_state),
      m_hIcon(CWinApp::App().LoadIcon(IDI_PROGRAM)) {}

void CUninstallDlg::DoDataExchange(CDataExchange& dx) {
  CDialog::DoDataExchange(dx);
  dx.Control(IDC_SAVE_DATA, m_saveCheck);
  dx.Control(IDC_STATUS, m_status);
  dx.Control(IDC_LOCATION, m_locationEdit);
}

BOOL CUninstallDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  AddAboutItem();

  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  m_state.m_location = FindInstallLocation(m_services);
  const bool found = !m_state.m_location.empty();
  m_status.SetWindowText(found ? texts::kFoundText : texts::kNotFoundText);
  m_locationEdit.SetWindowText(found ? m_state.m_location : std::string(texts::kNotFoundLocation));

  RecordSystemInfo(m_services, m_state);
  m_saveCheck.SetCheck(BST_CHECKED);
  return TRUE;
}

void CUninstallDlg::AddAboutItem() {
  HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
  if (systemMenu == nullptr) return;
  const std::string aboutText = CWinApp::App().LoadString(IDS_ABOUT_ITEM);
  if (aboutText.empty()) return;
  ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, aboutText.c_str());
}

bool CUninstallDlg::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & kSysCommandMask) != IDM_ABOUT) return CDialog::OnSysCommand(id, lParam);
  CAboutDlg about;
  about.DoModal();
  return true;
}

bool CUninstallDlg::OnPaint() {
  if (!::IsIconic(m_hWnd)) return CDialog::OnPaint();
  CPaintDC dc(*this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  const int x = CentredIconOffset(client.right - client.left, ::GetSystemMetrics(SM_CXICON));
  const int y = CentredIconOffset(client.bottom - client.top, ::GetSystemMetrics(SM_CYICON));
  ::DrawIcon(dc.GetSafeHdc(), x, y, m_hIcon);
  return true;
}

HICON CUninstallDlg::OnQueryDragIcon() { return m_hIcon; }

bool CUninstallDlg::OnClicked(UINT id) {
  if (id != IDC_BROWSE) return CDialog::OnClicked(id);
  OnBrowse();
  return true;
}

void CUninstallDlg::OnBrowse() { m_engine.Browse(); }

void CUninstallDlg::OnOK() {
  // A press from a message loop of the run or of the folder browser: the
  // engine ignores it, and the save box is not read in the middle of a run.
  if (m_engine.IsBusy()) return;
  m_state.m_saveStudentData = m_saveCheck.GetCheck() != BST_UNCHECKED;
  if (m_engine.Run(m_locationEdit.GetWindowText()) == RunOutcome::Finished) CDialog::OnOK();
}
