// Functions found at run time, without letting a DLL from anywhere but the
// system folder into the program. The program runs with administrator
// rights, often from a folder that others can write to (Downloads): a DLL
// loaded by its bare name is looked for in the program's own folder first.
#pragma once

#include <windows.h>

// Narrows every later DLL load, also those system DLLs make for the program,
// to the system folder (SetDefaultDllDirectories: 8, and Vista and 7 updated);
// else drops the current folder from the search (SetDllDirectoryA: XP SP1).
// Older systems have neither; the program's own loads go by full path anyway.
void NarrowDllSearch();

// A function of a DLL that the program imports, and that is therefore
// loaded: null when this system's copy of the DLL lacks it. `module` is the
// DLL's name ("kernel32.dll"); nothing is loaded.
template <typename Function>
Function LoadedFunction(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  return loaded ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)))
                : nullptr;
}

// A DLL loaded by its full path in the system folder, and freed with its
// owner. Its own imports are looked for beside it, not beside the program.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name);
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // Null when the DLL is not loaded or lacks the function.
  template <typename Function>
  Function Get(const char* name) const {
    return m_module ? reinterpret_cast<Function>(
                          reinterpret_cast<void*>(GetProcAddress(m_module, name)))
                    : nullptr;
  }

 private:
  HMODULE m_module = nullptr;
};
