#include "ui/uninstall_dlg.h"

#include "location/install_location.h"
#include "platform/dialog/win_app.h"
#include "res/resource.h"
#include "ui/about_dlg.h"
#include "ui/icon_centre.h"

namespace {

constexpr char kFoundText[] = "Marlo Coach Installation found.";
constexpr char kNotFoundText[] =
    "Unable to find your Marlo Coach folder.  Please browse to locate this folder, "
    "or click the \"Remove\" button to remove all other traces of the program "
    "(registry keys, etc).";
constexpr char kNotFoundLocation[] = "MLC Folder Not Found.";

// The system-command ids that the About item answers to: the low four bits
// are the system's own and are masked off.
constexpr UINT kSysCommandMask = 0xFFF0;

// RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW: repaint at once.
constexpr UINT kRedrawNow = 0x105;

UINT BoxFlags(BoxStyle style) {
  switch (style) {
    case BoxStyle::OkCancel:
      return MB_OKCANCEL;
    case BoxStyle::YesNo:
      return MB_YESNO;
    case BoxStyle::Ok:
    default:
      return MB_OK;
  }
}

}  // namespace

CUninstallDlg::CUninstallDlg(IWindowsServices& services, CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_services(services),
      m_engine(services, *this, m_state),
      m_hIcon(TheApp().LoadIcon(IDI_PROGRAM)) {}

CUninstallDlg::~CUninstallDlg() = default;

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
  if (!m_state.m_location.empty()) {
    m_status.SetWindowText(kFoundText);
    m_locationEdit.SetWindowText(m_state.m_location);
  } else {
    m_status.SetWindowText(kNotFoundText);
    m_locationEdit.SetWindowText(kNotFoundLocation);
  }

  RecordSystemInfo(m_services, m_state);
  m_saveCheck.SetCheck(BST_CHECKED);
  return TRUE;
}

void CUninstallDlg::AddAboutItem() {
  HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
  if (systemMenu == nullptr) return;
  const std::string aboutText = TheApp().LoadString(IDS_ABOUT_ITEM);
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
  const int cxIcon = ::GetSystemMetrics(SM_CXICON);
  const int cyIcon = ::GetSystemMetrics(SM_CYICON);
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  const int x = CentredIconOffset(client.right - client.left, cxIcon);
  const int y = CentredIconOffset(client.bottom - client.top, cyIcon);
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
  if (m_engine.Run(m_locationEdit.GetWindowText()) == RunOutcome::Finished) {
    CDialog::OnOK();
  }
}

BoxAnswer CUninstallDlg::ShowMessage(const std::string& text, const char* caption,
                                     BoxStyle style) {
  // No icon flag and MB_DEFBUTTON1: the first button (OK or Yes) is the default.
  const int answer = MessageBox(text.c_str(), caption, BoxFlags(style) | MB_DEFBUTTON1);
  switch (answer) {
    case IDOK:
      return BoxAnswer::Ok;
    case IDYES:
      return BoxAnswer::Yes;
    case IDNO:
      return BoxAnswer::No;
    default:
      // IDCANCEL, and 0 when the box could not be shown: never a consent.
      return BoxAnswer::Cancel;
  }
}

WindowHandle CUninstallDlg::MainWindow() { return reinterpret_cast<WindowHandle>(m_hWnd); }

void CUninstallDlg::SetStatusText(const std::string& text) { m_status.SetWindowText(text); }

void CUninstallDlg::SetLocationText(const std::string& text) {
  m_locationEdit.SetWindowText(text);
}

void CUninstallDlg::SetStepText(const std::string& text) { m_progress.SetStepText(text); }

bool CUninstallDlg::CreateProgress() { return m_progress.Create(IDD_PROGRESS); }

// The lines are written only while the progress window exists: its controls'
// handles die with it. The run dispatches no messages, so the window is
// painted at once after each change.
void CUninstallDlg::SetTitleLine(const std::string& text) {
  if (!m_progress.IsWindow()) return;
  m_progress.m_titleLine.SetWindowText(text);
  ::UpdateWindow(m_progress.GetSafeHwnd());
}

void CUninstallDlg::SetDetailLine(const std::string& text) {
  if (!m_progress.IsWindow()) return;
  m_progress.m_detailLine.SetWindowText(text);
  ::UpdateWindow(m_progress.GetSafeHwnd());
}

void CUninstallDlg::RedrawProgress() {
  if (m_progress.IsWindow()) {
    ::RedrawWindow(m_progress.GetSafeHwnd(), nullptr, nullptr, kRedrawNow);
  }
}

void CUninstallDlg::BringProgressToTop() {
  if (m_progress.IsWindow()) ::BringWindowToTop(m_progress.GetSafeHwnd());
}

void CUninstallDlg::DestroyProgress() { m_progress.DestroyWindow(); }
