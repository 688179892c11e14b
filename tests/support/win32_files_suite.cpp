// The test programs' own Win32 helpers, where a fault would hide a real one.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/win32_files.h"

// Info files are written by whatever moved the item to the trash: an escape
// that is not one must be read as it stands, never end the reading.
TEST(Win32Files, TrashInfoEscapesAreDecodedAndBadOnesKeptAsTheyStand) {
  const std::string trash = win32test::TrashFolder();
  ASSERT_FALSE(trash.empty()) << "no Recycle Bin in this prefix";
  const std::string name = "rmlc-escapes-" + std::to_string(GetCurrentProcessId());
  const std::string info = trash + "\\info\\" + name + ".trashinfo";
  ASSERT_TRUE(win32test::WriteWholeFile(
      info, "[Trash Info]\r\nPath=/c/Marlo%20Coach/%zz%4%\r\nDeletionDate=2024-01-01T00:00:00\r\n"));
  std::string found = "<none>";
  for (const win32test::TrashItem& item : win32test::TrashItems())
    if (item.name == name) found = item.originalPath;
  DeleteFileA(info.c_str());
  EXPECT_EQ(found, "/c/Marlo Coach/%zz%4%");
}
