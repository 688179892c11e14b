// Steps 5 and 6: the product's shortcuts and Start-menu folders, for all
// users and for the current user, with the derived per-user folders.
#include <gtest/gtest.h>

#include "tests/support/scenario.h"

using scenario::Bench;

namespace {

const std::string kCommon = scenario::kCommonDesktop;
const std::string kUser = scenario::kUserDesktop;

// A run with nothing but shortcuts to remove.
void RunSweep(Bench& b) {
  b.state.m_saveStudentData = false;
  RecordSystemInfo(*b.machine, b.state);
  EXPECT_EQ(b.engine.Run(""), RunOutcome::Finished);
}

bool Touched(const SimMachine& machine, const std::string& part) {
  for (const SimMachine::CallRecord& call : machine.Calls())
    if (call.subject.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(ShortcutSweep, BothPassesDeleteTheirShortcutsAndReportWhatStays) {
  Bench b;
  b.machine->AddFile(kCommon + "\\Marlo Coach Students.lnk");
  b.machine->AddFile(kUser + "\\Marlo Coach Students.lnk");
  b.machine->AddFile(kUser + "\\Marlo Coach Administration.lnk", "", kAttrReadOnly);
  RunSweep(b);
  EXPECT_FALSE(b.machine->Exists(kCommon + "\\Marlo Coach Students.lnk"));
  EXPECT_FALSE(b.machine->Exists(kUser + "\\Marlo Coach Students.lnk"));
  // The name stands twice in the table, so it is tried, and reported, twice;
  // a shortcut gets no box of its own.
  const std::string line = "File: " + kUser + "\\Marlo Coach Administration.lnk";
  EXPECT_EQ(b.state.m_failures, (std::vector<std::string>{line, line}));
  EXPECT_EQ(b.ui.Boxes().size(), 2u);
  EXPECT_EQ(b.ui.EventsOf("title").size(), 8u);  // steps 2 to 4, 5 and 6 twice, 7
}

TEST(ShortcutSweep, DerivedFoldersOnlyFromVersionFive) {
  Bench v4;
  v4.machine->SetOsVersion(4, 0);
  v4.machine->AddFile("C:\\tech\\Desktop\\Marlo Coach Videos.lnk");
  RunSweep(v4);
  EXPECT_TRUE(v4.machine->Exists("C:\\tech\\Desktop\\Marlo Coach Videos.lnk"));
  EXPECT_FALSE(Touched(*v4.machine, "C:\\tech"));
  EXPECT_EQ(v4.ui.Boxes().back().caption, std::optional<std::string>(texts::kSuccessCaption));

  Bench v5;
  v5.machine->SetOsVersion(5, 1);
  v5.machine->SetUserName("");
  v5.machine->AddFile("C:\\Desktop\\Marlo Coach Admin.lnk");  // "C:" + "\" + "" + "\Desktop\"
  RunSweep(v5);
  EXPECT_FALSE(v5.machine->Exists("C:\\Desktop\\Marlo Coach Admin.lnk"));
  EXPECT_TRUE(Touched(*v5.machine, "C:\\\\Desktop\\\\Marlo Coach Admin.lnk"));
}

TEST(ShortcutSweep, AnUnreadableShellFolderIsSkippedWithItsDerivedFolder) {
  Bench b;
  b.machine->SetSpecialFolder(csidl::kCommonStartMenu, "C:\\missing\\Start Menu");
  b.machine->SetSpecialFolder(csidl::kCommonDesktopDirectory, "C:\\missing\\Desktop");
  b.machine->AddFile("C:\\Programs\\Marlo Coach\\Uninstall.lnk");
  b.machine->AddFile("C:\\Marlo Coach Videos.lnk");
  RunSweep(b);
  // No path was built on an empty front: "\Programs\...", "\Marlo Coach Videos.lnk".
  for (const SimMachine::CallRecord& call : b.machine->Calls())
    EXPECT_FALSE(!call.subject.empty() && call.subject[0] == '\\') << call.subject;
  EXPECT_TRUE(b.machine->Exists("C:\\Programs\\Marlo Coach\\Uninstall.lnk"));
  EXPECT_TRUE(b.machine->Exists("C:\\Marlo Coach Videos.lnk"));
}

TEST(ShortcutSweep, PathsTheAnsiCallsCannotReachCountAsAbsent) {
  // An empty desktop and Start menu so deep that every path built on them is
  // over 259 characters: the search and the deletion fail with 206 there.
  const std::string deep = "C:\\" + std::string(250, 'd');
  Bench b;
  b.machine->SetOsVersion(4, 0);
  b.machine->AddFolder(deep + "\\Desktop");
  b.machine->AddFolder(deep + "\\Start Menu");
  b.machine->SetSpecialFolder(csidl::kCommonDesktopDirectory, deep + "\\Desktop");
  b.machine->SetSpecialFolder(csidl::kCommonStartMenu, deep + "\\Start Menu");
  b.machine->InjectFault({std::nullopt, deep, 0, winerr::kFilenameTooLong});
  // 206 on a path within the limit (a component too long) is not absence.
  const std::string shortPath = kUser + "\\Marlo Coach Videos.lnk";
  b.machine->InjectFault({std::nullopt, shortPath, 0, winerr::kFilenameTooLong});
  RunSweep(b);
  EXPECT_EQ(b.state.m_failures, (std::vector<std::string>{"File: " + shortPath}));
  ASSERT_EQ(b.ui.Boxes().size(), 2u) << "no \"Could not delete\" box: prompt and report only";
  EXPECT_EQ(b.ui.Boxes().back().caption, std::nullopt) << "the list of leftovers";
}

TEST(ShortcutSweep, ADerivedFolderWithoutADriveIsSkipped) {
  Bench b;
  b.machine->SetSpecialFolder(csidl::kCommonDesktopDirectory, "C:\\Desktop");
  b.machine->SetSpecialFolder(csidl::kCommonStartMenu, "C:\\Menus\\Start Menu");
  b.machine->AddFile("C:\\Desktop\\Marlo Coach Videos.lnk");
  b.machine->AddFile("C:\\tech\\Desktop\\Marlo Coach Videos.lnk");  // from the user's desktop
  RunSweep(b);
  EXPECT_FALSE(b.machine->Exists("C:\\Desktop\\Marlo Coach Videos.lnk"));
  EXPECT_FALSE(b.machine->Exists("C:\\tech\\Desktop\\Marlo Coach Videos.lnk"));
  // Never resolved against the current drive: "\tech\Desktop\...".
  for (const SimMachine::CallRecord& call : b.machine->Calls())
    EXPECT_FALSE(!call.subject.empty() && call.subject[0] == '\\') << call.subject;
  EXPECT_TRUE(b.state.m_failures.empty());
}
