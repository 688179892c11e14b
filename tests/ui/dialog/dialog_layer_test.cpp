// The dialog layer on real windows (under Wine): templates, handlers, data
// exchange, ownership and message-box captions.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "dialog/dialog.h"
#include "dialog/win_app.h"

namespace {

constexpr UINT kTestDialog = 200;
constexpr UINT kModeless = 201;
constexpr int kTextField = 300;
constexpr int kLabel = 301;
constexpr int kOtherButton = 302;
constexpr int kModelessLine = 310;
constexpr UINT kIcon = 400;

class TestApp : public CWinApp {
 public:
  using CWinApp::CWinApp;
  BOOL InitInstance() override {
    ++initCalls;
    return FALSE;
  }
  void OnHelp() override { ++helpCalls; }
  int initCalls = 0;
  int helpCalls = 0;
};

TestApp theApp;

// What a test dialog does once its window exists.
using Script = void (*)(class TestDlg&);

class TestDlg : public CDialog {
 public:
  explicit TestDlg(Script script, UINT templateId = kTestDialog, CWnd* parent = nullptr)
      : CDialog(templateId, parent), m_script(script) {}

  std::string m_text = "from the object";
  CStatic m_label;
  CEdit m_field;
  UINT m_clicked = 0;
  UINT m_sysCommand = 0;
  HICON m_icon = nullptr;
  int m_okCalls = 0;

  using CDialog::EndDialog;

 protected:
  void DoDataExchange(CDataExchange& dx) override {
    dx.Control(kLabel, m_label);
    dx.Control(kTextField, m_field);
    dx.Text(kTextField, m_text);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (m_script != nullptr) m_script(*this);
    return TRUE;
  }
  void OnOK() override {
    ++m_okCalls;
    CDialog::OnOK();
  }
  bool OnClicked(UINT id) override {
    if (id != static_cast<UINT>(kOtherButton)) return CDialog::OnClicked(id);
    m_clicked = id;
    EndDialog(5);
    return true;
  }
  bool OnSysCommand(UINT id, LPARAM lParam) override {
    m_sysCommand = id;
    return CDialog::OnSysCommand(id, lParam);
  }
  HICON OnQueryDragIcon() override { return m_icon; }

 private:
  Script m_script;
};

void Post(TestDlg& dlg, WPARAM command) {
  ::PostMessageA(dlg.GetSafeHwnd(), WM_COMMAND, command, 0);
}

class DialogLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    theApp.Start(::GetModuleHandleA(nullptr));
    theApp.m_pMainWnd = nullptr;
  }
};

TEST_F(DialogLayer, TitleIsTheProgramFileNameAndStartRunsInitInstance) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  name = name.substr(name.find_last_of('\\') + 1);
  name = name.substr(0, name.rfind('.'));
  EXPECT_EQ(theApp.Title(), name);
  EXPECT_GE(theApp.initCalls, 1);

  TestApp named("Named program");
  EXPECT_EQ(named.Start(::GetModuleHandleA(nullptr)), 0);
  EXPECT_EQ(named.Title(), "Named program");
}

TEST_F(DialogLayer, ModalExchangeWritesOnInitAndReadsBackOnOk) {
  TestDlg dlg([](TestDlg& d) {
    // Bound, and the text written into the field on the first exchange.
    EXPECT_EQ(d.m_label.GetWindowText(), "Static");
    EXPECT_EQ(d.m_field.GetWindowText(), "from the object");
    d.m_field.SetWindowText("typed by the user");
    Post(d, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.m_okCalls, 1);
  EXPECT_EQ(dlg.m_text, "typed by the user");
  EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);  // released with the window
}

TEST_F(DialogLayer, CancelAndEscapeEndWithoutReadingBack) {
  TestDlg cancelled([](TestDlg& d) {
    d.m_field.SetWindowText("discarded");
    Post(d, IDCANCEL);
  });
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.m_text, "from the object");

  TestDlg escaped([](TestDlg& d) {
    ::PostMessageA(d.m_field.GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(escaped.DoModal(), IDCANCEL);
  EXPECT_EQ(escaped.m_okCalls, 0);
}

TEST_F(DialogLayer, HandlersReceiveClicksSystemCommandsDragIconAndHelp) {
  TestDlg dlg([](TestDlg& d) {
    d.m_icon = theApp.LoadIcon(kIcon);
    EXPECT_NE(d.m_icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(d.SendMessage(WM_QUERYDRAGICON)), d.m_icon);
    d.SendMessage(WM_SYSCOMMAND, 0x10);
    d.SendMessage(WM_COMMAND, kIdHelp);
    Post(d, MAKEWPARAM(kOtherButton, BN_CLICKED));
  });
  const int helpBefore = theApp.helpCalls;
  EXPECT_EQ(dlg.DoModal(), 5);
  EXPECT_EQ(dlg.m_clicked, static_cast<UINT>(kOtherButton));
  EXPECT_EQ(dlg.m_sysCommand, 0x10u);
  EXPECT_EQ(theApp.helpCalls, helpBefore + 1);
  EXPECT_EQ(dlg.m_okCalls, 0);
}

// A dialog with no parent is owned by the application's main window, modal
// or modeless; the main window itself has no owner.
TEST_F(DialogLayer, DialogsWithoutParentBelongToTheMainWindow) {
  static HWND mainWindow;
  static HWND modalOwner;
  static HWND modelessOwner;
  static bool destroyed;
  mainWindow = modalOwner = modelessOwner = nullptr;
  destroyed = false;
  TestDlg main([](TestDlg& d) {
    mainWindow = d.GetSafeHwnd();
    EXPECT_EQ(::GetWindow(mainWindow, GW_OWNER), nullptr);
    TestDlg modal([](TestDlg& inner) {
      modalOwner = ::GetWindow(inner.GetSafeHwnd(), GW_OWNER);
      EXPECT_FALSE(::IsWindowEnabled(modalOwner));  // the owner waits
      Post(inner, IDCANCEL);
    });
    modal.DoModal();

    TestDlg modeless(nullptr, kModeless);
    EXPECT_TRUE(modeless.Create(kModeless));
    EXPECT_TRUE(::IsWindowVisible(modeless.GetSafeHwnd()));
    EXPECT_FALSE(modeless.Create(kModeless));  // one window per object
    modelessOwner = ::GetWindow(modeless.GetSafeHwnd(), GW_OWNER);
    EXPECT_TRUE(modeless.DestroyWindow());
    destroyed = modeless.GetSafeHwnd() == nullptr;
    EXPECT_FALSE(modeless.DestroyWindow());
    Post(d, IDCANCEL);
  });
  theApp.m_pMainWnd = &main;
  main.DoModal();
  EXPECT_NE(mainWindow, nullptr);
  EXPECT_EQ(modalOwner, mainWindow);
  EXPECT_EQ(modelessOwner, mainWindow);
  EXPECT_TRUE(destroyed);
}

TEST_F(DialogLayer, ModelessWindowStillOpenIsDestroyedWithItsObject) {
  HWND window = nullptr;
  {
    TestDlg modeless(nullptr, kModeless);
    ASSERT_TRUE(modeless.Create(kModeless));
    window = modeless.GetSafeHwnd();
    EXPECT_TRUE(::IsWindow(window));
  }
  EXPECT_FALSE(::IsWindow(window));
}

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM lParam) {
  char cls[16] = {};
  ::GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) != "#32770" || !::IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = hwnd;
  return FALSE;
}

// Answers the next message box of `thread` with IDOK and reports its caption.
std::string AnswerNextBox(DWORD thread, std::atomic<bool>& done) {
  HWND box = nullptr;
  for (int tries = 0; tries < 500 && box == nullptr; ++tries) {
    ::Sleep(10);
    ::EnumThreadWindows(thread, FindVisibleDialog, reinterpret_cast<LPARAM>(&box));
  }
  if (box == nullptr) return "<no box>";
  char caption[256] = {};
  ::GetWindowTextA(box, caption, sizeof caption);
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  done = true;
  return caption;
}

TEST_F(DialogLayer, MessageBoxNullCaptionIsTheTitleEmptyCaptionStaysEmpty) {
  TestDlg owner(nullptr);
  const DWORD thread = ::GetCurrentThreadId();
  for (const char* caption : {static_cast<const char*>(nullptr), "", "Given"}) {
    std::atomic<bool> done{false};
    std::string seen;
    std::thread answer([&] { seen = AnswerNextBox(thread, done); });
    EXPECT_EQ(owner.MessageBox("text", caption, MB_OK), IDOK);
    answer.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(seen, caption == nullptr ? theApp.Title() : std::string(caption));
  }
}

}  // namespace
