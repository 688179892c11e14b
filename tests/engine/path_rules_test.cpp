// The pure path rules: where the students folder is, how per-user folders
// are derived, and which folders no deletion may touch.
#include <gtest/gtest.h>

#include "shared/path_rules.h"

TEST(PathRules, StudentsFolderTakesTheFrontOfTheLocation) {
  EXPECT_EQ(StudentsFolderFor(""), "C:\\MLC Students");
  EXPECT_EQ(StudentsFolderFor("D:\\Apps\\Marlo Coach"), "D:\\MLC Students");
  EXPECT_EQ(StudentsFolderFor("\\Apps\\Marlo Coach"), "\\MLC Students");
  EXPECT_EQ(StudentsFolderFor("Marlo"), "\\MLC Students");
}

TEST(PathRules, TrailingBackslashesAreDroppedButRootsKeepOne) {
  EXPECT_EQ(FolderPathOf("C:\\Apps\\Marlo Coach\\\\"), "C:\\Apps\\Marlo Coach");
  EXPECT_EQ(FolderPathOf("D:\\"), "D:\\");
  EXPECT_EQ(FolderPathOf("\\\\"), "\\");
  EXPECT_EQ(FolderPathOf(""), "");
  EXPECT_EQ(WithoutTrailingBackslashes("D:\\"), "D:");
  EXPECT_EQ(ParentFolderOf("C:\\Apps\\Marlo Coach\\"), "C:\\Apps");
  EXPECT_EQ(ParentFolderOf("C:\\Apps"), "C:\\");
  EXPECT_EQ(ParentFolderOf("Apps"), "");
}

TEST(PathRules, PerUserFolderDropsThreeComponents) {
  EXPECT_EQ(DerivePerUserFolder("C:\\Documents and Settings\\All Users\\Desktop", "ann", "\\Desktop\\"),
            "C:\\ann\\Desktop\\");
  EXPECT_EQ(DerivePerUserFolder("C:\\a\\b\\c\\Start Menu", "ann", "\\Start Menu\\"),
            "C:\\a\\ann\\Start Menu\\");
  EXPECT_EQ(DerivePerUserFolder("C:\\a\\b\\c", "", "\\Desktop\\"), "C:\\\\Desktop\\");
  // Nothing left in front: no drive, so no folder at all (never "\ann\Desktop\").
  for (const char* noDrive : {"C:\\Desktop", "C:\\a\\Desktop", "\\a\\b\\Desktop", "Desktop", ""})
    EXPECT_EQ(DerivePerUserFolder(noDrive, "ann", "\\Desktop\\"), "") << noDrive;
}

TEST(PathRules, ProtectedFoldersAndTheirContainersAreRefused) {
  const std::vector<std::string> guarded = {"C:\\Windows", "C:\\Program Files", "",
                                            "C:\\Users\\tech\\Desktop"};
  for (const char* target :
       {"C:\\", "c:", "D:\\", "\\", "", "C:\\Windows", "c:\\WINDOWS\\", "C:\\\\Windows\\\\",
        "C:\\Windows.", "C:\\Windows .", "C:\\Apps\\..\\Windows", "C:\\Users", "C:\\users\\tech",
        "C:/Users/Tech/Desktop", "\\Windows", "\\\\server\\share", "Windows", "C:Apps",
        "C:\\Program Files\\Marlo Coach\\..", "C:\\Program Files\\.",
        "C:\\Program Files\\*", "C:\\Program Files\\Marlo Coac?",
        // Only an ASCII letter before the colon names a drive: a path with
        // anything else there cannot be placed, and is refused.
        "@:\\Apps", "[:\\Apps", "`:\\Apps", "{:\\Apps", "1:\\Apps"}) {
    EXPECT_TRUE(IsProtectedFolder(target, guarded)) << target;
  }
  for (const char* target :
       {"C:\\Program Files\\Marlo Coach", "C:\\Windows2", "C:\\Users\\tech\\Desktop2",
        "C:\\Users\\tech\\Desktop\\Marlo Coach Saved Student Data", "D:\\Windows\\x",
        "\\\\server\\share\\Marlo Coach", "A:\\Apps", "Z:\\Apps", "a:\\Apps", "z:\\Apps"}) {
    EXPECT_FALSE(IsProtectedFolder(target, guarded)) << target;
  }
}

TEST(PathRules, SourceListIsNeverCutShort) {
  char buffer[kSourceListCapacity];
  const std::string fits(258, 'a');
  ASSERT_TRUE(BuildSourceList(fits, buffer));
  EXPECT_EQ(std::string(buffer), fits);
  EXPECT_EQ(buffer[258], '\0');
  EXPECT_EQ(buffer[259], '\0');
  EXPECT_FALSE(BuildSourceList(std::string(259, 'a'), buffer));
  EXPECT_FALSE(BuildSourceList(std::string("C:\\Apps\0Other", 13), buffer));
}

TEST(PathRules, DoubledSeparatorsBecomeOneButANetworkPathKeepsItsTwo) {
  EXPECT_EQ(WithSingleSeparators("C:\\Data\\\\class1\\\\\\a.txt"), "C:\\Data\\class1\\a.txt");
  EXPECT_EQ(WithSingleSeparators("C:\\Data\\\\"), "C:\\Data\\");
  EXPECT_EQ(WithSingleSeparators("\\\\server\\share\\\\x"), "\\\\server\\share\\x");
  EXPECT_EQ(WithSingleSeparators("\\a"), "\\a");
  EXPECT_EQ(WithSingleSeparators(""), "");
}
