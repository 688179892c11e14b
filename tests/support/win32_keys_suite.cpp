// The registry roots and the handles the adapter hands out, at this build's
// pointer width: the same code runs as a 32-bit and as a 64-bit program.
#include <gtest/gtest.h>

#include "services/handles.h"
#include "tests/support/test_machine.h"
#include "win32/win32_keys.h"
#include "win32/win32_services.h"

TEST(Win32Keys, RootsAreTheSystemsOwnHandlesAtEveryPointerWidth) {
  EXPECT_EQ(ToHkey(kHkeyLocalMachine), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(ToHkey(kHkeyCurrentUser), HKEY_CURRENT_USER);
  // Not a plain widening: in a 64-bit program the roots are sign-extended.
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(HKEY_LOCAL_MACHINE) == kHkeyLocalMachine,
            sizeof(void*) == 4);
}

TEST(Win32Keys, AnOpenedKeyIsTheHandleWin32Gave) {
  auto machine = MakeTestMachine();
  Win32Services services;
  UniqueKey key(services);
  ASSERT_EQ(key.Open(kHkeyCurrentUser, machine->ScratchKey(), kKeyRead), winerr::kSuccess);
  DWORD subkeys = 99;
  EXPECT_EQ(RegQueryInfoKeyA(ToHkey(key.Get()), nullptr, nullptr, nullptr, &subkeys, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(FromHkey(ToHkey(key.Get())), key.Get());
}
