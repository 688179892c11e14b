#include "win32/win32_libraries.h"

#include <cstring>

namespace {
// LOAD_LIBRARY_SEARCH_SYSTEM32, spelt out for headers that predate it.
constexpr DWORD kSearchSystem32 = 0x00000800;
}  // namespace

void NarrowDllSearch() {
  using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryCall = BOOL(WINAPI*)(LPCSTR);
  auto setDefault =
      LoadedFunction<SetDefaultDllDirectoriesCall>("kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault && setDefault(kSearchSystem32)) return;
  auto setDirectory = LoadedFunction<SetDllDirectoryCall>("kernel32.dll", "SetDllDirectoryA");
  if (setDirectory) setDirectory("");
}

SystemLibrary::SystemLibrary(const char* name) {
  char path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  // No folder, or no room for "\" + name: nothing is loaded, and never by
  // the bare name.
  if (length == 0 || length + 1 + std::strlen(name) >= MAX_PATH) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return;
  }
  path[length] = '\\';
  std::strcpy(path + length + 1, name);
  // The altered search looks for the DLL's own imports in its folder first,
  // where the program's folder would otherwise come first.
  m_module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary::~SystemLibrary() {
  // The caller reads the error of the call it made, not of the freeing.
  const DWORD error = GetLastError();
  if (m_module) FreeLibrary(m_module);
  SetLastError(error);
}
