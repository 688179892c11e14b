// demo_driver: the demo's hands and eyes inside the Wine prefix.
//
//   demo_driver journey EXE    starts EXE and takes the default journey:
//                              Remove, OK at the patience prompt, OK at the
//                              final report, which it prints as "REPORT" lines.
//   demo_driver progress EXE   the same up to the message that the student
//                              data could not be copied (seed no Students
//                              folder for it), to show the progress window.
//   demo_driver registry       tells which of the product's registry keys and
//                              values remain, and whether the neighbours are
//                              kept.
//
// Before it leaves a screen, the driver writes "SCREEN <name> <left> <top>
// <right> <bottom>" on stdout, the rectangle that holds the program's windows
// on the screen, and waits for a line on stdin; the demo script takes a
// screenshot of that rectangle meanwhile.
// Exit code 0 when the journey ran to the program's end, or when the product
// key holds nothing the program removes (no subkeys, no InstallPath), no
// uninstall entry of the product is left and the neighbours are kept; 1
// otherwise.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ui/machine_checks.h"
#include "tests/ui/program_driver.h"
#include "tests/ui/seed_installation.h"

namespace {

constexpr DWORD kPaintMs = 300;  // for the windows behind a new message box

// Asks the demo script for a screenshot of the program's windows (the main
// window with its message box or progress window) and waits until it is
// taken.
void Screen(const drive::Program& program, const char* name) {
  RECT all = {};
  for (HWND window : program.Windows()) {
    RECT rect;
    if (GetWindowRect(window, &rect)) UnionRect(&all, &all, &rect);
  }
  std::printf("SCREEN %s %ld %ld %ld %ld\n", name, all.left, all.top, all.right, all.bottom);
  std::fflush(stdout);
  char line[64];
  if (!std::fgets(line, sizeof line, stdin)) std::fprintf(stderr, "no answer for %s\n", name);
}

// Prints a text with each of its lines behind `tag`.
void PrintLines(const char* tag, const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::printf("%s %s\n", tag, text.substr(start, end - start).c_str());
    start = end + 1;
  }
}

// Starts the program, shows its main window, presses Remove and answers OK
// at the patience prompt. False (with a message) when a screen is missing.
bool StartRemoval(drive::Program& program, const std::string& exe) {
  std::string error;
  if (!program.Start(exe, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  HWND main = program.WaitForCaption(drive::kMainTitle);
  if (!main) {
    std::fprintf(stderr, "the main window did not appear\n");
    return false;
  }
  Screen(program, "main-window");
  drive::Box box;
  if (!drive::Click(main, IDOK) || !program.NextBox(box)) {
    std::fprintf(stderr, "no prompt after Remove\n");
    return false;
  }
  Screen(program, "patience-prompt");
  return program.Answer(box, IDOK);
}

// Answers the box with OK and waits for the program to end.
bool Finish(drive::Program& program, const drive::Box& box) {
  if (program.Answer(box, IDOK) && program.WaitExit()) return true;
  std::fprintf(stderr, "the program did not end after \"%s\"\n", box.text.c_str());
  return false;
}

int Journey(const std::string& exe) {
  drive::Program program;
  drive::Box box;
  if (!StartRemoval(program, exe)) return 1;
  if (!program.NextBox(box, drive::kExitTimeoutMs)) {
    std::fprintf(stderr, "no final report\n");
    return 1;
  }
  Screen(program, "final-report");
  std::printf("REPORT %s\n", box.caption.c_str());
  PrintLines("REPORT", box.text);
  return Finish(program, box) ? 0 : 1;
}

// A normal run passes its steps too quickly to be caught. When the student
// data cannot be copied, the run stops with the progress window up and a
// message box open, and waits there for the screenshot.
int Progress(const std::string& exe) {
  drive::Program program;
  drive::Box box;
  if (!StartRemoval(program, exe)) return 1;
  if (!program.NextBox(box, drive::kExitTimeoutMs) || !program.ProgressWindow()) {
    std::fprintf(stderr, "no copy failure message over the progress window\n");
    return 1;
  }
  Sleep(kPaintMs);
  Screen(program, "progress-window");
  return Finish(program, box) ? 0 : 1;
}

std::string Join(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
  return text.empty() ? "none" : text;
}

int Registry() {
  const std::string product = seed::kProductKey;
  const std::string uninstall = std::string(seed::kUninstallKey) + "\\";
  std::vector<std::string> remaining;
  for (const auto& entry : seed::UninstallEntries())
    if (win32test::KeyExists(HKEY_LOCAL_MACHINE, uninstall + entry)) remaining.push_back(entry);
  if (win32test::KeyExists(HKEY_LOCAL_MACHINE, product))
    std::printf("    HKLM\\%s: still there; subkeys: %s; values: %s\n", product.c_str(),
                Join(check::Subkeys(product)).c_str(), Join(check::ValueNames(product)).c_str());
  else
    std::printf("    HKLM\\%s: gone\n", product.c_str());
  std::printf("    uninstall entries of the product: %u of %u remain%s%s\n",
              static_cast<unsigned>(remaining.size()),
              static_cast<unsigned>(seed::UninstallEntries().size()),
              remaining.empty() ? "" : ": ", remaining.empty() ? "" : Join(remaining).c_str());
  const bool neighbourKey = win32test::KeyExists(HKEY_LOCAL_MACHINE, lookalike::kProductKey);
  const bool neighbourEntry = win32test::KeyExists(HKEY_LOCAL_MACHINE,
                                                   uninstall + lookalike::kUninstallEntry);
  std::printf("    neighbours left alone: HKLM\\%s %s; uninstall entry \"%s\" %s\n",
              lookalike::kProductKey, neighbourKey ? "kept" : "GONE",
              lookalike::kUninstallEntry, neighbourEntry ? "kept" : "GONE");
  const bool cleaned = check::Subkeys(product).empty() &&
                       !win32test::ValueExists(HKEY_LOCAL_MACHINE,
                                               product, "InstallPath") && remaining.empty();
  return cleaned && neighbourKey && neighbourEntry ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "journey") == 0) return Journey(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "progress") == 0) return Progress(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "registry") == 0) return Registry();
  std::fputs("usage: demo_driver journey|progress EXE | demo_driver registry\n", stderr);
  return 2;
}
