#include "tests/ui/program_driver.h"

#include <shlobj.h>

namespace drive {
namespace {

constexpr UINT kSendTimeoutMs = 3000;
constexpr DWORD kPollMs = 50;
constexpr int kMessageTextId = 0xFFFF;
constexpr int kProgressTitleId = 1004;
constexpr int kProgressDetailId = 1005;
const int kBoxButtons[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result) != 0;
}

struct Collect {
  DWORD id;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto* collect = reinterpret_cast<Collect*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == collect->id && IsWindowVisible(window)) collect->windows->push_back(window);
  return TRUE;
}

}  // namespace

bool HasChild(HWND window, const char* className) {
  return FindWindowExA(window, nullptr, className, nullptr) != nullptr;
}

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, length)) return std::string();
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), copied))
    return std::string();
  text.resize(copied < length ? copied : length);
  return text;
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

bool IsChecked(HWND dialog, int id) {
  DWORD_PTR state = 0;
  return Send(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, state) && state == BST_CHECKED;
}

bool SetItemText(HWND dialog, int id, const std::string& text) {
  DWORD_PTR result = 0;
  return Send(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
              result) &&
         result;
}

bool Click(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool PressKey(HWND window, UINT key) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return false;
  HWND target = info.hwndFocus ? info.hwndFocus : window;
  return PostMessageA(target, WM_KEYDOWN, key, 1) && PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

std::vector<std::string> ChildTexts(HWND dialog, const char* className) {
  std::vector<std::string> texts;
  for (HWND child = FindWindowExA(dialog, nullptr, className, nullptr); child;
       child = FindWindowExA(dialog, child, className, nullptr))
    if (IsWindowVisible(child)) texts.push_back(TextOf(child));
  return texts;
}

// A message box: a dialog with the text control 0xFFFF, which is not one of
// the program's own dialogs (the About box also has controls with id -1)
// nor the shell's folder browser.
bool IsMessageBox(HWND window) {
  return ClassOf(window) == "#32770" && GetDlgItem(window, kMessageTextId) &&
         !GetDlgItem(window, kProgressTitleId) && !HasChild(window, "SysTreeView32") &&
         !HasChild(window, "Edit") && TextOf(window) != "About RemoveMLC";
}

Program::~Program() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool Program::Start(const std::string& exe, std::string& error) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string command = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, "C:\\",
                      &startup, &info)) {
    error = "cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  WaitForInputIdle(process_, kWindowTimeoutMs);
  return true;
}

std::vector<HWND> Program::Windows() const {
  std::vector<HWND> windows;
  Collect collect = {id_, &windows};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&collect));
  return windows;
}

HWND Program::WaitFor(const std::function<bool(HWND)>& match, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  do {
    for (HWND window : Windows())
      if (match(window)) return window;
    if (!Running()) return nullptr;
    Sleep(kPollMs);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

HWND Program::WaitForCaption(const std::string& caption, DWORD timeoutMs) const {
  return WaitFor([&](HWND window) { return TextOf(window) == caption; }, timeoutMs);
}

bool Program::NextBox(Box& box, DWORD timeoutMs) const {
  box = Box();
  box.window = WaitFor(IsMessageBox, timeoutMs);
  if (!box.window) return false;
  Sleep(kPollMs);  // let the box finish laying itself out
  box.caption = TextOf(box.window);
  box.text = ItemText(box.window, kMessageTextId);
  for (int id : kBoxButtons) {
    HWND button = GetDlgItem(box.window, id);
    if (button && IsWindowVisible(button)) box.buttons.push_back(id);
  }
  return true;
}

bool Program::Answer(const Box& box, int button, DWORD timeoutMs) const {
  return Click(box.window, button) && WaitGone(box.window, timeoutMs);
}

bool Program::SelectFolder(HWND browser, const std::string& folder) const {
  HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id_);
  if (!target) return false;
  void* remote = VirtualAllocEx(target, nullptr, folder.size() + 1, MEM_COMMIT, PAGE_READWRITE);
  DWORD_PTR selected = 0;
  bool ok = remote &&
            WriteProcessMemory(target, remote, folder.c_str(), folder.size() + 1, nullptr) &&
            Send(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote), selected);
  if (remote) VirtualFreeEx(target, remote, 0, MEM_RELEASE);
  CloseHandle(target);
  return ok;
}

HWND Program::ProgressWindow() const {
  for (HWND window : Windows())
    if (ClassOf(window) == "#32770" && GetDlgItem(window, kProgressTitleId) &&
        GetDlgItem(window, kProgressDetailId))
      return window;
  return nullptr;
}

bool Program::WaitExit(DWORD timeoutMs) {
  if (!process_) return false;
  if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) return true;
  TerminateProcess(process_, 1);
  WaitForSingleObject(process_, 5000);
  return false;
}

bool Program::Terminate() {
  const bool running = Running();
  if (running) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  if (process_) CloseHandle(process_);
  process_ = nullptr;
  return running;
}

bool Program::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

}  // namespace drive
