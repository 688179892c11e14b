// The application object of the dialog layer. The program defines exactly one
// object of a class derived from CWinApp, which registers itself when it is
// constructed; the dialogs find it through App(), and WinMain hands control to
// it through Start().
#pragma once

#include <windows.h>

#include <string>

#include "dialog/wnd.h"

// The command that asks for help (F1 through an accelerator or a menu).
constexpr UINT kIdHelp = 0xE146;

class CWinApp {
 public:
  // A null name means: take the title from the program file's name.
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp() { if (s_app == this) s_app = nullptr; }
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Records the module, settles the title, initialises the common controls
  // and runs InitInstance; the program ends when it returns (its windows are
  // modal: no message loop follows). Always returns 0, the exit code.
  int Start(HINSTANCE instance);

  // The program's own start-up; this one starts nothing. FALSE ends the program.
  virtual BOOL InitInstance() { return FALSE; }
  // A help request. The program ships no help file, so it does nothing.
  virtual void OnHelp() {}

  HINSTANCE Instance() const { return m_instance; }
  // The caption of message boxes shown without one.
  const std::string& Title() const { return m_title; }
  // LoadIconA on the program's module, at the system's standard icon size.
  HICON LoadIcon(UINT id) const;
  // A string from the program's string table; empty when it is missing.
  std::string LoadString(UINT id) const;

  // The main window: owner of modeless and ownerless dialogs; null when none.
  CWnd* m_pMainWnd = nullptr;

  // The application object: the first one constructed registers itself.
  static CWinApp& App() { return *s_app; }

 private:
  static CWinApp* s_app;
  const char* m_appName;
  HINSTANCE m_instance = nullptr;
  std::string m_title;
};
