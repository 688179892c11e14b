// What tests under Wine reach on the host side: the Unix name of a Windows
// path, and folder links as Wine shows Unix symbolic links (0x410). Wine's
// own link calls make none (CreateSymbolicLinkA reports success and makes
// nothing; FSCTL_SET_REPARSE_POINT fails with 50), so the host's ln, which
// the test scripts copy into the prefix, makes them; Wine runs it as the
// Unix program it is.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "tests/support/win32_files.h"

namespace winehost {

// Wine's Unix name of a Windows path ("/…/dosdevices/c:/…"); empty outside Wine.
inline std::string UnixName(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return std::string();
  char* unixName = toUnix(win32test::Widen(windowsPath).c_str());
  if (unixName == nullptr) return std::string();
  std::string result = unixName;
  HeapFree(GetProcessHeap(), 0, unixName);
  return result;
}

// The Windows path of a Unix path, in the ANSI code page; the input itself
// outside Wine or when it is not an absolute Unix path.
inline std::string WindowsName(const std::string& unixPath) {
  using ToDos = WCHAR*(CDECL*)(const char*);
  auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos == nullptr || unixPath.empty() || unixPath[0] != '/') return unixPath;
  WCHAR* dos = toDos(unixPath.c_str());
  if (dos == nullptr) return unixPath;
  const std::string result = win32test::Narrow(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return result;
}

// Runs one of the host's programs that the test scripts copy into the
// prefix (C:\rmlc-tools\<tool>) with `arguments`, each quoted, without
// waiting for it; false when it cannot be started.
inline bool RunHostTool(const std::string& tool, std::initializer_list<std::string> arguments) {
  const std::string program = "C:\\rmlc-tools\\" + tool;
  std::string command = "\"" + program + "\"";
  for (const std::string& argument : arguments) command += " \"" + argument + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// Waiting on a Unix program's process handle returns at once, so the caller
// watches for the program's effect instead, for up to five seconds.
template <typename Done>
bool WaitFor(Done done) {
  for (int tries = 0; tries < 100 && !done(); ++tries) Sleep(50);
  return done();
}

inline bool IsFolderLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const DWORD link = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & link) == link;
}

// A Unix symbolic link at `link` to the folder `target` (both ASCII Windows
// paths); true once Windows programs see it as a linked folder.
inline bool MakeFolderLink(const std::string& link, const std::string& target) {
  const std::string unixLink = UnixName(link), unixTarget = UnixName(target);
  return !unixLink.empty() && !unixTarget.empty() &&
         RunHostTool("ln", {"-s", "--", unixTarget, unixLink}) &&
         WaitFor([&] { return IsFolderLink(link); });
}

// Removes the link itself. The Windows calls cannot: RemoveDirectoryA on a
// link removes the folder it leads to when that is empty, and fails otherwise.
inline bool RemoveFolderLink(const std::string& link) {
  const std::string unixLink = UnixName(link);
  return !unixLink.empty() && RunHostTool("rm", {"-f", "--", unixLink}) &&
         WaitFor([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace winehost
