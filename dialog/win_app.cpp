#include "dialog/win_app.h"

#include <commctrl.h>

#include <vector>

#include "dialog/app_title.h"

CWinApp* CWinApp::s_app = nullptr;

CWinApp::CWinApp(const char* appName) : m_appName(appName) { if (s_app == nullptr) s_app = this; }

int CWinApp::Start(HINSTANCE instance) {
  m_instance = instance;
  if (m_appName != nullptr) {
    m_title = m_appName;
  } else {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH);
    m_title = TitleFromModulePath(std::string(path, length <= MAX_PATH ? length : 0));
  }
  // Loads the common controls library and registers its window classes: with
  // the manifest's Common Controls 6 dependency, Windows XP shows no dialog
  // of a program that never calls it. Every system has this function.
  ::InitCommonControls();
  InitInstance();
  return 0;
}

HICON CWinApp::LoadIcon(UINT id) const {
  return ::LoadIconA(m_instance, MAKEINTRESOURCEA(id));
}

std::string CWinApp::LoadString(UINT id) const {
  // LoadStringA fills the buffer up to its size less one; a string that
  // reaches that length may have been cut, so try again with a larger one.
  for (int size = 256;; size *= 2) {
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    const int length = ::LoadStringA(m_instance, id, buffer.data(), size);
    if (length < size - 1 || size >= 65536) {
      return std::string(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
    }
  }
}
