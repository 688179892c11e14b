// win_bench: runs the engine's own folder operations with the real Windows
// services, with every message box answered at once, and prints how long
// each took. scripts/bench runs it under Wine.
//   win_bench copy SOURCE DESTINATION      the student-data backup
//   win_bench rollback PARENT NAME         its rollback, with a progress window
//   win_bench rollback-quiet PARENT NAME   the same without a window
//   win_bench recycle PATH                 the shell deletion into the Recycle Bin
//   win_bench run LOCATION                 a whole removal run of LOCATION
// A trailing --profile adds the service calls made and the time spent in them.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/counting_services.h"
#include "location/install_location.h"
#include "removal/uninstall_engine.h"
#include "tests/support/engine_units.h"
#include "tests/support/fake_run_ui.h"
#include "win32/win32_services.h"

namespace {

constexpr int kProgressTemplate = 1;
constexpr int kTitleLine = 1004;
constexpr int kDetailLine = 1005;
constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// The answering port with a real two-line progress window, updated the way
// the program's own window is. Only counts are kept, and shell operations
// have no owner window.
class WindowUi : public FakeRunUi {
 public:
  WindowUi() : FakeRunUi(false, 0) {}
  ~WindowUi() override { DestroyProgress(); }
  bool CreateProgress() override {
    DestroyProgress();
    m_window = CreateDialogParamA(GetModuleHandleA(nullptr),
                                  MAKEINTRESOURCEA(kProgressTemplate), nullptr,
                                  QuietDialogProc, 0);
    return m_window != nullptr;
  }
  void SetTitleLine(const std::string& text) override {
    if (m_window) SetDlgItemTextA(m_window, kTitleLine, text.c_str());
  }
  void SetDetailLine(const std::string& text) override {
    FakeRunUi::SetDetailLine(text);
    if (m_window) SetDlgItemTextA(m_window, kDetailLine, text.c_str());
  }
  void RedrawProgress() override {
    FakeRunUi::RedrawProgress();
    if (m_window) RedrawWindow(m_window, nullptr, nullptr, kRedrawNow);
  }
  void BringProgressToTop() override {
    if (m_window) BringWindowToTop(m_window);
  }
  void DestroyProgress() override {
    if (m_window) DestroyWindow(m_window);
    m_window = nullptr;
  }

 private:
  HWND m_window = nullptr;
};

int Usage() {
  std::fprintf(stderr,
               "usage: win_bench copy SOURCE DESTINATION | rollback PARENT NAME |\n"
               "       rollback-quiet PARENT NAME | recycle PATH | run LOCATION  [--profile]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool profile = argc > 1 && std::strcmp(argv[argc - 1], "--profile") == 0;
  if (profile) --argc;
  if (argc < 3) return Usage();
  const std::string op = argv[1];
  const bool twoPaths = op == "copy" || op == "rollback" || op == "rollback-quiet";
  if (argc != (twoPaths ? 4 : 3)) return Usage();

  Win32Services win32;
  CountingServices counting(win32);
  IWindowsServices& services = profile ? static_cast<IWindowsServices&>(counting) : win32;
  WindowUi windowUi;
  FakeRunUi quietUi(false, 0);
  IRunUi& ui = op == "rollback-quiet" ? quietUi : static_cast<IRunUi&>(windowUi);
  UninstallState state;
  UninstallEngine engine(services, ui, state);
  EngineUnits units(services, ui);

  // The progress window is on screen before the rollback starts, as in a run.
  if (op == "rollback") {
    ui.CreateProgress();
    ui.BringProgressToTop();
  }
  if (op == "run") {
    RecordSystemInfo(services, state);
    state.m_location = argv[2];
  }

  bool ok = false;
  const auto start = std::chrono::steady_clock::now();
  if (op == "copy") {
    services.MakeDirectory(argv[3]);
    ok = units.copy.CopyFolderTree(argv[2], argv[3]);
  } else if (op == "rollback" || op == "rollback-quiet") {
    ok = units.deletion.DeleteFolderTree(argv[2], argv[3]);
  } else if (op == "recycle") {
    ok = units.folders.ShellDeleteFolder(0, argv[2]);
  } else if (op == "run") {
    ok = engine.Run(argv[2]) == RunOutcome::Finished && state.m_failures.empty();
  } else {
    return Usage();
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  ui.DestroyProgress();

  FakeRunUi& answered = op == "rollback-quiet" ? quietUi : windowUi;
  std::printf("op=%s ok=%d ms=%.1f detail_updates=%ld redraws=%ld boxes=%zu\n", op.c_str(), ok,
              ms, answered.DetailUpdates(), answered.Redraws(), answered.Boxes().size());
  for (const FakeRunUi::Box& box : answered.Boxes()) std::printf("box: %s\n", box.text.c_str());
  if (profile) std::fputs(counting.Report().c_str(), stdout);
  return ok ? 0 : 1;
}
