// What stands in for the calls that Windows 95 and NT 4.0 lack, held against
// the real calls here: the older systems must get the same answers.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "tests/support/test_machine.h"
#include "win32/win32_services.h"

TEST(Win32StandIns, LongPathsOneComponentAtATimeAreTheSystemsLongPaths) {
  auto machine = MakeTestMachine();
  const std::string folder = machine->ScratchFolder() + "\\Long Folder Name";
  const std::string file = folder + "\\A File With A Long Name.txt";
  ASSERT_TRUE(machine->MakeFolder(folder));
  ASSERT_TRUE(machine->PutFile(file, "x"));
  const std::string shortFile = machine->ShortPath(file);
  ASSERT_NE(shortFile, file);
  for (const std::string& path :
       {file, shortFile, machine->ShortPath(folder) + "\\", std::string("C:\\"),
        folder + "\\missing.txt", folder + "\\missing\\deeper.txt", folder + "\\*.txt"}) {
    for (DWORD capacity : {DWORD{MAX_PATH}, DWORD{8}}) {
      char expected[MAX_PATH] = {}, actual[MAX_PATH] = {};
      SetLastError(0);
      const DWORD expectedLength = GetLongPathNameA(path.c_str(), expected, capacity);
      const DWORD expectedError = GetLastError();
      SetLastError(0);
      const DWORD actualLength = LongPathByComponents(path.c_str(), actual, capacity);
      EXPECT_EQ(actualLength, expectedLength) << path << " in " << capacity;
      EXPECT_STREQ(actual, expected) << path << " in " << capacity;
      if (expectedLength == 0) {
        EXPECT_EQ(GetLastError(), expectedError) << path;
      }
    }
  }
}

TEST(Win32StandIns, SpecialFoldersFromItemListsAreTheShellsPaths) {
  for (int folder : {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU,
                     CSIDL_STARTMENU, CSIDL_PROGRAM_FILES, CSIDL_WINDOWS}) {
    char expected[MAX_PATH] = {}, actual[MAX_PATH] = {};
    const BOOL found = SHGetSpecialFolderPathA(nullptr, expected, folder, FALSE);
    EXPECT_EQ(SpecialFolderPathFromItemList(actual, folder) != 0, found != 0) << folder;
    EXPECT_STREQ(actual, expected) << folder;
  }
}
