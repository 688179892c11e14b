// The smallest Win32 program that shows a dialog from a resource template:
// the floor for the start-up comparison. Built with RMLC_SAME_IMPORTS, it
// also imports the system DLLs that RemoveMLC.exe imports, without calling
// them, which shows what loading those DLLs costs at start-up.
#include <windows.h>

#ifdef RMLC_SAME_IMPORTS
#include <commctrl.h>
#include <shlobj.h>
#endif

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef RMLC_SAME_IMPORTS
  // Never true at run time; the references alone make the imports.
  if (GetTickCount() == 1) {
    CoInitialize(nullptr);
    SHGetSpecialFolderPathA(nullptr, nullptr, 0, FALSE);
    RegCloseKey(nullptr);
    InitCommonControls();
  }
#endif
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, DialogProc, 0));
}
