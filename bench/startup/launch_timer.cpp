// launch_timer: starts a program and times it from just before process
// creation, the same way for every program that is compared.
//   launch_timer exit COMMAND LINE...            until the process ends
//   launch_timer window CAPTION COMMAND LINE...  until it shows a visible
//                                                top-level window with that
//                                                caption; the window is then
//                                                closed and the exit awaited
// Prints "ms=... exit=..."; the exit code is the program's (0 in window mode
// once the window was seen and the program ended; 1 on timeout).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/startup/command_tail.h"

namespace {

constexpr DWORD kTimeoutMs = 600000;
constexpr DWORD kWindowTimeoutMs = 60000;

struct Search {
  DWORD process;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char text[256] = "";
  if (owner == search->process && IsWindowVisible(window) &&
      GetWindowTextA(window, text, sizeof text) > 0 && std::strcmp(text, search->caption) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const bool untilWindow = argc >= 4 && std::strcmp(argv[1], "window") == 0;
  if (!untilWindow && !(argc >= 3 && std::strcmp(argv[1], "exit") == 0)) {
    std::fprintf(stderr, "usage: launch_timer exit COMMAND... | window CAPTION COMMAND...\n");
    return 2;
  }
  std::string command = CommandAfter(GetCommandLineA(), untilWindow ? 3 : 2);

  LARGE_INTEGER frequency, start;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "launch_timer: cannot start %s (%lu)\n", command.c_str(),
                 GetLastError());
    return 2;
  }
  double ms = 0;
  bool timedOut = false;
  if (untilWindow) {
    Search search = {process.dwProcessId, argv[2], nullptr};
    while (!search.found && Milliseconds(start, frequency) < kWindowTimeoutMs) {
      EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
      if (!search.found) Sleep(1);
    }
    ms = Milliseconds(start, frequency);
    timedOut = !search.found;
    if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    timedOut = true;
  }
  if (!untilWindow) ms = Milliseconds(start, frequency);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // A program closed from outside may end with any code; only the timing counts.
  if (untilWindow) code = 0;
  if (timedOut) code = 1;
  std::printf("ms=%.1f exit=%lu\n", ms, static_cast<unsigned long>(code));
  return static_cast<int>(code);
}
