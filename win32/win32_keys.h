// Registry keys as the Win32 calls see them. RegKey carries the predefined
// roots with their 32-bit values; HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
// are those values sign-extended to pointer width (0xFFFFFFFF80000002 in a
// 64-bit program), so the roots are mapped, never cast.
#pragma once

#include <windows.h>

#include "services/services.h"

inline HKEY ToHkey(RegKey key) {
  if (key == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
  if (key == kHkeyCurrentUser) return HKEY_CURRENT_USER;
  return reinterpret_cast<HKEY>(key);
}

inline RegKey FromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }
