#include "app/uninstall_app.h"

#include "ui/uninstall_dlg.h"
#include "win32/win32_libraries.h"
#include "win32/win32_services.h"

namespace {
// The program's one application object.
CUninstallApp theApp;
}  // namespace

// No name: the title comes from the program file's name.
CUninstallApp::CUninstallApp() : CWinApp(nullptr) {}

BOOL CUninstallApp::InitInstance() {
  Win32Services services;
  CUninstallDlg dlg(services);
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // FALSE: no message loop follows, the program ends.
  return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL on the program's behalf.
  NarrowDllSearch();
  return theApp.Start(instance);
}
