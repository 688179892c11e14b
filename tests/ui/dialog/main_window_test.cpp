// The program's main window and progress window on real windows (under
// Wine), inside this process so that what another process cannot see can be
// checked: the system menu's items and the windows' pending paint.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "dialog/win_app.h"
#include "res/resource.h"
#include "tests/support/sim_machine.h"
#include "ui/uninstall_dlg.h"

namespace {

class TestApp : public CWinApp {
 public:
  BOOL InitInstance() override { return FALSE; }
};

TestApp theApp;

// The main window, with a script run from its own modal loop once it is on
// screen (a timer, so that the dialog manager has shown it).
class ScriptedMainDlg : public CUninstallDlg {
 public:
  using Script = void (*)(ScriptedMainDlg&);
  ScriptedMainDlg(IWindowsServices& services, Script script)
      : CUninstallDlg(services), m_script(script) {}

  HWND Window() const { return GetSafeHwnd(); }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CUninstallDlg::OnInitDialog();
    s_running = this;
    ::SetTimer(GetSafeHwnd(), 1, 10, &ScriptedMainDlg::RunScript);
    return result;
  }

 private:
  static void CALLBACK RunScript(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hwnd, id);
    ScriptedMainDlg* dialog = s_running;
    s_running = nullptr;
    if (dialog != nullptr) dialog->m_script(*dialog);
    // A script that stopped at a failed assertion still ends the window.
    ::SetTimer(hwnd, 2, 2000, &ScriptedMainDlg::GiveUp);
  }

  static void CALLBACK GiveUp(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hwnd, id);
    ::EndDialog(hwnd, -2);
  }

  static ScriptedMainDlg* s_running;
  Script m_script;
};

ScriptedMainDlg* ScriptedMainDlg::s_running = nullptr;

INT_PTR RunMainWindow(ScriptedMainDlg::Script script) {
  std::unique_ptr<SimMachine> machine = SimMachine::StandardLayout();
  ScriptedMainDlg dialog(*machine, script);
  theApp.m_pMainWnd = &dialog;
  const INT_PTR result = dialog.DoModal();
  theApp.m_pMainWnd = nullptr;
  return result;
}

BOOL CALLBACK FindProgress(HWND hwnd, LPARAM found) {
  if (::GetDlgItem(hwnd, IDC_TITLE_LINE) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

HWND ProgressWindow() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), FindProgress, reinterpret_cast<LPARAM>(&found));
  return found;
}

// True when a part of the window still waits for its WM_PAINT.
bool PaintPending(HWND hwnd) { return ::GetUpdateRect(hwnd, nullptr, FALSE) != FALSE; }

std::string TextOf(HWND hwnd) {
  char text[256] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { theApp.Start(::GetModuleHandleA(nullptr)); }
};

TEST_F(MainWindow, SystemMenuHoldsTheAboutItemAndTheCloseBoxIsCancel) {
  static bool checked;
  checked = false;
  const INT_PTR result = RunMainWindow([](ScriptedMainDlg& dialog) {
    HMENU menu = ::GetSystemMenu(dialog.Window(), FALSE);
    ASSERT_NE(menu, nullptr) << "no system menu";
    char text[64] = {};
    EXPECT_EQ(::GetMenuStringA(menu, IDM_ABOUT, text, sizeof text, MF_BYCOMMAND), 19);
    EXPECT_STREQ(text, "&About RemoveMLC...");
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUT)) << "last item";
    EXPECT_NE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_NE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    checked = true;
    // The close box: what the title bar's button sends.
    ::PostMessageA(dialog.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_TRUE(checked);
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(MainWindow, ProgressWindowIsPaintedAfterEachChangeAndCannotBeClosed) {
  static bool checked;
  checked = false;
  RunMainWindow([](ScriptedMainDlg& dialog) {
    // No message is dispatched from here on, as during a run.
    IRunUi& ui = dialog;
    ui.SetStepText("Step 1");
    ASSERT_TRUE(ui.CreateProgress());
    HWND progress = ProgressWindow();
    ASSERT_NE(progress, nullptr);
    HWND title = ::GetDlgItem(progress, IDC_TITLE_LINE);
    HWND detail = ::GetDlgItem(progress, IDC_DETAIL_LINE);
    EXPECT_TRUE(PaintPending(progress)) << "shown but not yet painted";

    ui.SetDetailLine("");
    EXPECT_FALSE(PaintPending(progress));
    EXPECT_FALSE(PaintPending(title));
    EXPECT_FALSE(PaintPending(detail));
    ui.SetTitleLine("Step 2");
    EXPECT_FALSE(PaintPending(title)) << "title line not repainted";
    EXPECT_EQ(TextOf(title), "Step 2");
    ui.SetDetailLine("C:\\some\\file");
    EXPECT_FALSE(PaintPending(detail)) << "detail line not repainted";

    // Enter, Escape, the close command and WM_CLOSE leave it open.
    ::SendMessageA(progress, WM_COMMAND, IDOK, 0);
    ::SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
    ::SendMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    ::SendMessageA(progress, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(progress));
    EXPECT_TRUE(::IsWindowVisible(progress));
    ui.DestroyProgress();
    EXPECT_FALSE(::IsWindow(progress));
    checked = true;
    ::PostMessageA(dialog.Window(), WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_TRUE(checked);
}

}  // namespace
