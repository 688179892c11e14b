#include "dialog/dialog.h"

#include "dialog/win_app.h"

void CDataExchange::Control(int id, CWnd& control) {
  if (m_fromWindow) return;
  HWND item = ::GetDlgItem(m_dialog, id);
  if (item != nullptr) control.Attach(item);
}

void CDataExchange::Text(int id, std::string& text) {
  CWnd item;
  item.Attach(::GetDlgItem(m_dialog, id));
  if (m_fromWindow)
    text = item.GetWindowText();
  else
    item.SetWindowText(text);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
  if (IsWindow()) DestroyWindow();
}

HWND CDialog::OwnerWindow(CWnd* parent) const {
  if (parent != nullptr) return parent->GetSafeHwnd();
  const CWnd* main = CWinApp::App().m_pMainWnd;
  return main == nullptr || main == this ? nullptr : main->GetSafeHwnd();
}

INT_PTR CDialog::DoModal() {
  return ::DialogBoxParamA(CWinApp::App().Instance(), MAKEINTRESOURCEA(m_templateId),
                           OwnerWindow(m_parent), &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
  if (IsWindow()) return false;
  m_templateId = templateId;
  HWND created = ::CreateDialogParamA(CWinApp::App().Instance(), MAKEINTRESOURCEA(templateId),
                                      OwnerWindow(parent), &CDialog::DialogProc,
                                      reinterpret_cast<LPARAM>(this));
  return created != nullptr;
}

bool CDialog::DestroyWindow() { return m_hWnd != nullptr && ::DestroyWindow(m_hWnd) != FALSE; }

void CDialog::EndDialog(int result) {
  if (m_hWnd != nullptr) ::EndDialog(m_hWnd, result);
}

void CDialog::UpdateData(bool fromWindow) {
  CDataExchange dx(m_hWnd, fromWindow);
  DoDataExchange(dx);
}

int CDialog::MessageBox(const char* text, const char* caption, UINT style) {
  return ::MessageBoxA(m_hWnd, text, caption != nullptr ? caption : CWinApp::App().Title().c_str(),
                       style);
}

void CDialog::DoDataExchange(CDataExchange&) {}

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnClicked(UINT id) {
  switch (id) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    case kIdHelp:
      CWinApp::App().OnHelp();
      return true;
    default:
      return false;
  }
}

bool CDialog::OnSysCommand(UINT, LPARAM) { return false; }
bool CDialog::OnPaint() { return false; }
HICON CDialog::OnQueryDragIcon() { return nullptr; }

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // The object rides in on the creation parameter and stays with the window.
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
    dialog->m_hWnd = hDlg;
    return dialog->OnInitDialog();
  }
  auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hDlg, DWLP_USER));
  if (dialog == nullptr) return FALSE;  // messages before WM_INITDIALOG
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hDlg, DWLP_USER, 0);
    dialog->m_hWnd = nullptr;
    return FALSE;
  }
  return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Buttons report BN_CLICKED (0), and so do Enter and Escape (as IDOK
      // and IDCANCEL). Accelerators arrive with code 1: the program has no
      // accelerator table, so they are not passed on.
      if (HIWORD(wParam) == BN_CLICKED) return OnClicked(LOWORD(wParam)) ? TRUE : FALSE;
      return FALSE;
    case WM_SYSCOMMAND:
      return OnSysCommand(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      // One of the messages whose result the dialog procedure returns itself.
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    default:
      return FALSE;
  }
}
