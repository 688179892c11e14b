// Driving a running RemoveMLC.exe from another process, the way a user would:
// its windows are found by process id, class and caption, their texts are
// read with WM_GETTEXT (through SendMessageTimeout, so a hung program cannot
// hang the test), and buttons are clicked by posting BM_CLICK.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace drive {

// The main window's caption, as the resource script gives it.
constexpr char kMainTitle[] = "Marlo Coach Manual Uninstaller";
constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 30000;

std::string ClassOf(HWND window);
std::string TextOf(HWND window);  // empty when the window does not answer
std::string ItemText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool SetItemText(HWND dialog, int id, const std::string& text);
bool Click(HWND dialog, int id);  // posts BM_CLICK to the dialog's button `id`
// Posts a key press to the control that has the focus in `window`'s thread
// (the dialog's own message loop then acts on Escape or Enter).
bool PressKey(HWND window, UINT key);
// Waits until the window is destroyed or hidden.
bool WaitGone(HWND window, DWORD timeoutMs = kWindowTimeoutMs);
// Texts of a dialog's visible controls of one window class, in z-order.
std::vector<std::string> ChildTexts(HWND dialog, const char* className);

// A standard message box as read from the screen.
struct Box {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  std::vector<int> buttons;  // ids of its visible buttons: IDOK, IDCANCEL, IDYES, IDNO...
};

// One run of the program. The destructor ends a process that is still
// running, so that no journey leaves one behind.
class Program {
 public:
  Program() = default;
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Start(const std::string& exe, std::string& error);
  DWORD Id() const { return id_; }

  // The process's visible top-level windows.
  std::vector<HWND> Windows() const;
  // Waits until one of them satisfies `match`; null on timeout.
  HWND WaitFor(const std::function<bool(HWND)>& match, DWORD timeoutMs = kWindowTimeoutMs) const;
  HWND WaitForCaption(const std::string& caption, DWORD timeoutMs = kWindowTimeoutMs) const;
  // The next message box; false on timeout.
  bool NextBox(Box& box, DWORD timeoutMs = kWindowTimeoutMs) const;
  // Clicks a button of the box and waits until the box is gone.
  bool Answer(const Box& box, int button, DWORD timeoutMs = kWindowTimeoutMs) const;
  // Picks `folder` in the shell's folder browser `browser` (which has no
  // edit field under Wine): the path is written into the program's memory
  // and sent with BFFM_SETSELECTIONA.
  bool SelectFolder(HWND browser, const std::string& folder) const;
  // The progress window if it is on screen now, else null.
  HWND ProgressWindow() const;
  // Waits for the process to end. On timeout it is terminated and the
  // result is false.
  bool WaitExit(DWORD timeoutMs = kExitTimeoutMs);
  // Ends the process at once (TerminateProcess, as an ended task); false
  // when it had already ended.
  bool Terminate();
  bool Running() const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

bool IsMessageBox(HWND window);
bool HasChild(HWND window, const char* className);

}  // namespace drive
