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
  return style == BoxStyle::OkCancel ? MB_OKCANCEL : style == BoxStyle::YesNo ? MB_YESNO : MB_OK;
}

// The line is written only while the progress window exists: its controls'
// handles die with it. The run dispatches no messages, so the window is
// painted at once after each change.
void WriteProgressLine(CProgressDlg& progress, CStatic& line, const std::string& text) {
  if (!progress.IsWindow()) return;
  line.SetWindowText(text);
  ::UpdateWindow(progress.GetSafeHwnd());
}

}  // namespace

CUninstallDlg::CUninstallDlg(IWindowsServices& services, CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_services(services),
      m_engine(services, *this, m_state),
      m_hIcon(TheApp().LoadIcon(IDI_PROGRAM)) {}

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
  m_status.SetWindowText(found ? kFoundText : kNotFoundText);
  m_locationEdit.SetWindowText(found ? m_state.m_location : std::string(kNotFoundLocation));

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

BoxAnswer CUninstallDlg::ShowMessage(const std::string& text, const char* caption,
                                     BoxStyle style) {
  // No icon flag and MB_DEFBUTTON1: the first button (OK or Yes) is the default.
  const int answer = MessageBox(text.c_str(), caption, BoxFlags(style) | MB_DEFBUTTON1);
  // IDCANCEL, and 0 when the box could not be shown, are never a consent.
  return answer == IDOK || answer == IDYES || answer == IDNO ? static_cast<BoxAnswer>(answer)
                                                             : BoxAnswer::Cancel;
}

WindowHandle CUninstallDlg::MainWindow() { return reinterpret_cast<WindowHandle>(m_hWnd); }

void CUninstallDlg::SetStatusText(const std::string& text) { m_status.SetWindowText(text); }

void CUninstallDlg::SetLocationText(const std::string& text) {
  m_locationEdit.SetWindowText(text);
}

void CUninstallDlg::SetStepText(const std::string& text) { m_progress.SetStepText(text); }

bool CUninstallDlg::CreateProgress() { return m_progress.Create(IDD_PROGRESS); }

void CUninstallDlg::SetTitleLine(const std::string& text) {
  WriteProgressLine(m_progress, m_progress.m_titleLine, text);
}

void CUninstallDlg::SetDetailLine(const std::string& text) {
  WriteProgressLine(m_progress, m_progress.m_detailLine, text);
}

void CUninstallDlg::RedrawProgress() {
  if (m_progress.IsWindow()) ::RedrawWindow(m_progress.GetSafeHwnd(), nullptr, nullptr, kRedrawNow);
}

void CUninstallDlg::BringProgressToTop() {
  if (m_progress.IsWindow()) ::BringWindowToTop(m_progress.GetSafeHwnd());
}

void CUninstallDlg::DestroyProgress() { m_progress.DestroyWindow(); }
