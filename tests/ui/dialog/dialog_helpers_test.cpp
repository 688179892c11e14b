// The dialog layer's and the main window's pure helpers.
#include <gtest/gtest.h>

#include "dialog/app_title.h"
#include "ui/icon_centre.h"

TEST(AppTitle, IsTheProgramFileNameWithoutFolderAndExtension) {
  EXPECT_EQ(TitleFromModulePath("C:\\Tools\\RemoveMLC.EXE"), "RemoveMLC");
  EXPECT_EQ(TitleFromModulePath("C:\\Tools\\RemoveMLC.exe"), "RemoveMLC");
  EXPECT_EQ(TitleFromModulePath("RemoveMLC.EXE"), "RemoveMLC");
  EXPECT_EQ(TitleFromModulePath("D:RemoveMLC.EXE"), "RemoveMLC");
  EXPECT_EQ(TitleFromModulePath("\\\\server\\share\\Remove MLC.EXE"), "Remove MLC");
}

TEST(AppTitle, OnlyTheLastExtensionGoesAndFolderDotsStay) {
  EXPECT_EQ(TitleFromModulePath("C:\\v1.2\\RemoveMLC.old.exe"), "RemoveMLC.old");
  EXPECT_EQ(TitleFromModulePath("C:\\v1.2\\RemoveMLC"), "RemoveMLC");
  EXPECT_EQ(TitleFromModulePath("C:\\Tools\\.exe"), ".exe");
  EXPECT_EQ(TitleFromModulePath(""), "");
}

TEST(CentredIcon, CentresWithDivisionTowardZero) {
  EXPECT_EQ(CentredIconOffset(32, 32), 0);   // client exactly as wide as the icon
  EXPECT_EQ(CentredIconOffset(0, 32), -15);  // (0 - 32 + 1) / 2, not -16
  EXPECT_EQ(CentredIconOffset(33, 32), 1);
  EXPECT_EQ(CentredIconOffset(100, 32), 34); // 69 / 2 truncated
  EXPECT_EQ(CentredIconOffset(1, 32), -15);  // -30 / 2
  EXPECT_EQ(CentredIconOffset(31, 32), 0);
  EXPECT_EQ(CentredIconOffset(160, 16), 72);
}
