// The remove button from start to end: the confirmations, the steps in
// their order, the deletions into the Recycle Bin and the final report.
#include <gtest/gtest.h>

#include <algorithm>

#include "shared/path_rules.h"
#include "tests/support/scenario.h"

using scenario::Bench;

namespace {

const char kPatience[] =
    "Please be patient, as this process can sometimes take a few minutes...click OK to continue.";
const char kConfirm[] =
    "The \"MarloCoach.exe\" file was not found in this location.  "
    "Are you sure that this is your Marlo Coach folder?";
const char kCache[] =
    "C:\\Program Files\\InstallShield Installation Information\\{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}";

std::vector<std::string> PassEvents() {
  return {"title:Step 5 of 7: Deleting desktop shortcuts...",
          "title:Step 6 of 7: Deleting Start Menu Shortcuts...", "detail:", "detail:"};
}

std::vector<std::string> RecycledTops(const SimMachine& machine) {
  std::vector<std::string> tops;
  for (const SimMachine::RecycledEntry& entry : machine.Recycled()) {
    bool inside = false;
    for (const std::string& top : tops)
      inside = inside || entry.originalPath.rfind(top + "\\", 0) == 0;
    if (!inside) tops.push_back(entry.originalPath);
  }
  return tops;
}

}  // namespace

TEST(RemovalRun, CompleteRunRemovesTheProductAndSavesTheStudentData) {
  Bench b;
  scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
  ASSERT_EQ(b.state.m_location, scenario::kLocation);
  b.state.m_failures = {"from an earlier attempt"};
  std::size_t openKeysAtReport = 99;
  b.ui.onBox = [&](const FakeRunUi::Box&) { openKeysAtReport = b.machine->OpenKeyCount(); };

  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);

  // The run's texts are spelt out here, once; other tests take them from
  // shared/texts.h.
  std::vector<std::string> expected = {
      std::string("box:") + kPatience, "step:Step 1 of 7: Copying student data to desktop...",
      "create", "detail:", "top",
      "title:Step 2 of 7: Deleting MLC Students folder...", "detail:",
      "title:Step 3 of 7: Deleting InstallShield folder...", "detail:",
      "title:Step 4 of 7: Deleting Marlo Coach folder...", "detail:"};
  for (int pass = 0; pass < 2; ++pass)
    for (const std::string& event : PassEvents()) expected.push_back(event);
  expected.push_back("title:Step 7 of 7: Removing registry information...");
  expected.push_back("destroy");
  expected.push_back("box:The Marlo Coach has been removed from your computer.");
  EXPECT_EQ(b.ui.Events(), expected);
  ASSERT_EQ(b.ui.Boxes().size(), 2u);
  EXPECT_EQ(b.ui.Boxes()[0].caption, std::optional<std::string>(""));
  EXPECT_EQ(b.ui.Boxes()[0].style, BoxStyle::OkCancel);
  EXPECT_EQ(b.ui.Boxes()[1].caption, std::optional<std::string>("Success!"));
  EXPECT_TRUE(b.state.m_failures.empty());
  EXPECT_EQ(openKeysAtReport, 1u);  // the uninstall key stays held until the run ends
  EXPECT_EQ(b.machine->OpenKeyCount(), 0u);
  EXPECT_EQ(b.machine->LiveFinds(), 0);

  // The backup holds all of the student data, dot-named entries included.
  const std::string backup = scenario::kBackup;
  EXPECT_EQ(b.machine->ListTree(backup),
            (std::vector<std::string>{backup + "\\.cache", backup + "\\.cache\\state.bin",
                                      backup + "\\.profile", backup + "\\class1",
                                      backup + "\\class1\\alice.dat", backup + "\\class1\\bob.dat",
                                      backup + "\\class2", backup + "\\class2\\deep",
                                      backup + "\\class2\\deep\\notes.txt", backup + "\\empty class",
                                      backup + "\\roster.txt"}));
  // Everything of the product went to the Recycle Bin, folder by folder.
  EXPECT_EQ(RecycledTops(*b.machine),
            (std::vector<std::string>{
                "C:\\MLC Students", kCache, "C:\\Program Files\\Marlo Coach",
                "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Marlo Coach",
                "C:\\ProgramData\\tech\\Start Menu\\Programs\\Marlo Coach",
                "C:\\users\\tech\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Marlo Coach"}));
  EXPECT_EQ(b.machine->PermanentlyDeletedCount(), 0u);
  EXPECT_TRUE(b.machine->KeyExists(kHkeyLocalMachine, scenario::kProductKey));
  EXPECT_TRUE(b.machine->SubkeyNames(kHkeyLocalMachine, scenario::kProductKey).empty());
  EXPECT_EQ(b.machine->SubkeyNames(kHkeyLocalMachine, scenario::kUninstallKey),
            (std::vector<std::string>{"Marlo Coach Old", "Other Product"}));
  EXPECT_EQ(scenario::CheckPromises(b, inst), std::vector<std::string>());
  for (const std::string& path : inst.shortcuts) EXPECT_FALSE(b.machine->Exists(path)) << path;
}

// Windows 98 and NT 4.0, with their own answers: no profiles folder, and on
// 98 no wide search and no folder identities. The save box ticked, the
// student data is saved and the product removed; below version 5 no
// per-user folders are derived, so the shortcuts seeded there must stay
// untouched, like everything else that is not the product's.
TEST(RemovalRun, OlderSystemsSaveTheStudentDataAndRemoveTheProduct) {
  for (SimMachine::OlderSystem system :
       {SimMachine::OlderSystem::Windows98, SimMachine::OlderSystem::NT4}) {
    SCOPED_TRACE(system == SimMachine::OlderSystem::Windows98 ? "98" : "NT 4.0");
    Bench b;
    b.machine->ActAsOlderSystem(system);
    scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
    ASSERT_TRUE(b.state.m_saveStudentData);
    ASSERT_EQ(b.state.m_osMajor, 4);
    const std::vector<std::string> derived = {
        "C:\\tech\\Desktop\\Marlo Coach Videos.lnk",
        "C:\\ProgramData\\tech\\Start Menu\\Programs\\Marlo Coach\\Marlo Coach Videos.lnk",
        "C:\\ProgramData\\tech\\Start Menu\\Programs\\Marlo Coach"};
    auto isDerived = [&derived](const std::string& path) {
      return std::find(derived.begin(), derived.end(), path) != derived.end();
    };
    inst.shortcuts.erase(std::remove_if(inst.shortcuts.begin(), inst.shortcuts.end(), isDerived),
                         inst.shortcuts.end());

    EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
    EXPECT_EQ(b.ui.Boxes().back().caption, std::optional<std::string>(texts::kSuccessCaption));
    EXPECT_EQ(scenario::CheckPromises(b, inst), std::vector<std::string>());
  }
}

TEST(RemovalRun, DecliningAConfirmationLeavesEverythingAsItWas) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.machine->AddDrive('D');
  b.machine->AddFolder("D:\\Elsewhere");
  b.state.m_failures = {"earlier line"};

  b.ui.Answer(BoxAnswer::No);  // the typed folder has no MarloCoach.exe
  EXPECT_EQ(b.engine.Run("D:\\Elsewhere"), RunOutcome::Declined);
  EXPECT_EQ(b.ui.Events(), std::vector<std::string>{std::string("box:") + kConfirm});
  EXPECT_EQ(b.ui.Boxes()[0].caption, std::optional<std::string>("Confirm Location."));
  EXPECT_EQ(b.ui.Boxes()[0].style, BoxStyle::YesNo);
  EXPECT_EQ(b.state.m_location, scenario::kLocation);
  EXPECT_EQ(b.state.m_failures, std::vector<std::string>{"earlier line"});

  // Yes takes the typed folder, with the long warning before the patience
  // prompt; Cancel there stops the run with the failure list emptied.
  b.ui.Answer(BoxAnswer::Yes);
  b.ui.Answer(BoxAnswer::Cancel);
  EXPECT_EQ(b.engine.Run("D:\\Elsewhere"), RunOutcome::Declined);
  EXPECT_EQ(b.ui.EventsOf("status"),
            std::vector<std::string>{
                "Marlo Coach folder selected.  Please BE SURE that this is the correct location and "
                "that there are no other Non-Marlo Coach files in this location before continuing, "
                "as ALL its contents will be COMPLETELY ERASED."});
  EXPECT_EQ(b.ui.Events().back(), std::string("box:") + kPatience);
  EXPECT_EQ(b.state.m_location, "D:\\Elsewhere");
  EXPECT_TRUE(b.state.m_failures.empty());
  EXPECT_FALSE(b.ui.ProgressShown());
  EXPECT_TRUE(b.machine->Recycled().empty());
  EXPECT_TRUE(b.machine->Exists(scenario::kLocation));
}

TEST(RemovalRun, WithoutALocationTheTypedTextIsIgnored) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.state.m_location.clear();
  EXPECT_EQ(b.engine.Run("MLC Folder Not Found."), RunOutcome::Finished);
  EXPECT_EQ(b.ui.Boxes().size(), 2u);  // patience prompt and the report, no confirmation
  EXPECT_FALSE(b.machine->Exists("C:\\MLC Students"));
  EXPECT_FALSE(b.machine->Exists(scenario::kBackup));      // step 1 skipped
  EXPECT_TRUE(b.machine->Exists(scenario::kLocation));     // step 4 has nothing to delete
}

TEST(RemovalRun, ClearingTheLocationBoxAsksAboutTheEmptyFolder) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.machine->AddFile("C:\\MarloCoach.exe", "a stray copy");  // "\MarloCoach.exe" then exists
  EXPECT_EQ(b.engine.Run(""), RunOutcome::Finished);
  EXPECT_EQ(b.state.m_location, "");
  EXPECT_FALSE(b.ui.AnyBoxContains("was not found"));
  EXPECT_TRUE(b.machine->Exists(scenario::kLocation));
  EXPECT_FALSE(b.machine->Exists("C:\\MLC Students"));
}

TEST(RemovalRun, StudentsFolderIsOnTheDriveOfTheLocation) {
  Bench b;
  b.machine->AddDrive('D');
  b.machine->AddFile("D:\\Apps\\Marlo Coach\\MarloCoach.exe");
  b.machine->AddFile("D:\\MLC Students\\a.txt");
  b.machine->AddFile("C:\\MLC Students\\b.txt");
  b.state.m_location = "D:\\Apps\\Marlo Coach";
  b.state.m_saveStudentData = false;
  b.engine.Run(b.state.m_location);
  EXPECT_FALSE(b.machine->Exists("D:\\MLC Students"));
  EXPECT_TRUE(b.machine->Exists("C:\\MLC Students"));
  EXPECT_FALSE(b.machine->Exists("D:\\Apps\\Marlo Coach"));
  EXPECT_EQ(b.ui.Boxes().back().caption, std::optional<std::string>(texts::kSuccessCaption));
}

TEST(RemovalRun, LeftoversAreListedInTheReportAndAtOnce) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.state.m_saveStudentData = false;
  b.machine->InjectFault({SimMachine::Call::ShellFileOperation, "", 0, winerr::kDirNotEmpty});
  b.engine.Run(scenario::kLocation);
  const std::string report =
      "Unable to remove the following components...please remove them manually:\n\n"
      "Folder: C:\\MLC Students\n"
      "Folder: " + std::string(kCache) + "\n"
      "Folder: C:\\Program Files\\Marlo Coach\n"
      "Folder: C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Marlo Coach\n"
      "Folder: C:\\ProgramData\\tech\\Start Menu\\\\Programs\\Marlo Coach\n"
      "Folder: C:\\users\\tech\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Marlo Coach\n";
  ASSERT_EQ(b.ui.Boxes().size(), 8u);
  EXPECT_EQ(b.ui.Boxes()[1].text, "Could not delete: C:\\MLC Students");
  EXPECT_EQ(b.ui.Boxes()[1].caption, std::optional<std::string>("Error"));
  EXPECT_EQ(b.ui.Boxes()[7].text, report);
  EXPECT_FALSE(b.ui.Boxes()[7].caption.has_value());  // the application's title
  EXPECT_EQ(b.ui.Events()[b.ui.Events().size() - 2], "destroy");
}

// A deletion succeeds only if the shell said so and the folder is gone; a
// folder that must not go is refused without asking the shell.
TEST(RemovalRun, FolderDeletionIsCheckedGuardedAndNeverTruncated) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.machine->AddFolder("C:\\Apps\\Gone");
  // Another user's profile, listed after a file and two other profiles.
  b.machine->AddFile("C:\\users\\desktop.ini");
  b.machine->AddFolder("C:\\users\\Zoe");
  auto calls = [&b](SimMachine::Call which) {
    std::size_t n = 0;
    for (const SimMachine::CallRecord& call : b.machine->Calls()) n += call.call == which;
    return n;
  };
  auto shellCalls = [&calls] { return calls(SimMachine::Call::ShellFileOperation); };
  for (const char* guarded : {"C:\\Program Files", "c:\\users\\TECH\\", "C:\\users", "C:\\",
                              "C:\\windows\\\\system32", "C:\\users\\tech\\Desktop", "C:\\users\\Zoe",
                              "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\.."}) {
    EXPECT_FALSE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, guarded)) << guarded;
    EXPECT_EQ(b.ui.Boxes().back().text, std::string("Could not delete: ") + guarded);
  }
  EXPECT_EQ(shellCalls(), 0u);

  const std::string tooLong = "C:\\Apps\\" + std::string(251, 'x');  // 259 characters
  b.machine->AddFolder(tooLong);
  EXPECT_FALSE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, tooLong));
  EXPECT_EQ(b.ui.Boxes().back().text, "Could not delete: " + tooLong);
  EXPECT_TRUE(b.machine->Exists(tooLong));
  const std::string longest = tooLong.substr(0, 258);
  b.machine->AddFolder(longest);
  EXPECT_TRUE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, longest));
  EXPECT_FALSE(b.machine->Exists(longest));
  EXPECT_EQ(shellCalls(), 1u);

  // The shell answers 0 for a path ending in a backslash and deletes nothing.
  EXPECT_FALSE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, "C:\\Apps\\Gone\\"));
  EXPECT_EQ(b.ui.Boxes().back().text, "Could not delete: C:\\Apps\\Gone\\");
  // The protected folders are read once, however many folders are checked.
  EXPECT_EQ(calls(SimMachine::Call::ProfilesDirectory), 1u);
}

TEST(RemovalRun, ALocationEndingInABackslashIsRemovedForReal) {
  Bench b;
  b.machine->AddFile("C:\\Apps\\Marlo Coach\\MarloCoach.exe");
  b.state.m_location = "C:\\Apps\\Marlo Coach\\";
  b.state.m_saveStudentData = false;
  b.engine.Run(b.state.m_location);
  EXPECT_FALSE(b.machine->Exists("C:\\Apps\\Marlo Coach"));
  EXPECT_EQ(b.ui.Boxes().back().caption, std::optional<std::string>(texts::kSuccessCaption));
}

TEST(RemovalRun, ADriveRootOrProtectedLocationIsReportedNotDeleted) {
  Bench b;
  b.machine->AddDrive('D');
  b.machine->AddFile("D:\\MarloCoach.exe");
  b.machine->AddFile("D:\\other\\keep.txt");
  b.state.m_location = "D:\\";
  b.state.m_saveStudentData = false;
  b.engine.Run("D:\\");
  EXPECT_EQ(b.state.m_failures, std::vector<std::string>{"Folder: D:\\"});
  EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete: D:\\"));
  EXPECT_TRUE(b.machine->Exists("D:\\other\\keep.txt"));

  Bench desk;
  scenario::SeedSimulatedInstallation(desk);
  desk.state.m_saveStudentData = false;
  desk.ui.Answer(BoxAnswer::Yes);  // "yes, the desktop is my Marlo Coach folder"
  desk.engine.Run(scenario::kUserDesktop);
  EXPECT_TRUE(desk.machine->Exists(std::string(scenario::kUserDesktop) + "\\lesson plan.doc"));
  EXPECT_EQ(desk.state.m_failures,
            std::vector<std::string>{std::string("Folder: ") + scenario::kUserDesktop});
}

TEST(RemovalRun, AWildcardLocationDeletesNothingThatMatchesIt) {
  // The shell deletes every match of a wildcard; a typed "C:\Program Files\*"
  // confirmed with Yes must not empty Program Files.
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.state.m_saveStudentData = false;
  b.ui.Answer(BoxAnswer::Yes);
  const std::string typed = "C:\\Program Files\\*";
  b.engine.Run(typed);
  EXPECT_TRUE(b.machine->Exists(std::string(scenario::kLocation) + "\\MarloCoach.exe"));
  EXPECT_TRUE(b.machine->Exists("C:\\Program Files\\Common Files"));
  EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete: " + typed));
  EXPECT_EQ(b.state.m_failures.back(), "Folder: " + typed);
}

TEST(RemovalRun, TheShellIsNeverAskedToRecycleTheCurrentFolder) {
  // The backup leaves the current directory deep inside the installation;
  // Windows refuses to recycle a folder in use, so the run steps out first.
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.engine.Run(scenario::kLocation);
  const auto& calls = b.machine->Calls();
  bool checked = false;
  for (std::size_t i = 1; i < calls.size(); ++i) {
    if (calls[i].call != SimMachine::Call::ShellFileOperation ||
        calls[i].subject.find(scenario::kLocation) != 0)
      continue;
    ASSERT_EQ(calls[i - 1].call, SimMachine::Call::SetCurrentDir);
    EXPECT_EQ(calls[i - 1].subject, "C:\\Program Files");
    checked = true;
  }
  EXPECT_TRUE(checked);
}

TEST(RemovalRun, AFolderTheShellLeftBehindIsNotReportedAsRemoved) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.state.m_saveStudentData = false;
  // The shell reports success for the installation folder but leaves it.
  b.machine->InjectFault({SimMachine::Call::ShellFileOperation, "Program Files\\Marlo Coach", 0, 0});
  b.engine.Run(scenario::kLocation);
  EXPECT_TRUE(b.machine->Exists(scenario::kLocation));
  EXPECT_EQ(b.state.m_failures,
            std::vector<std::string>{std::string("Folder: ") + scenario::kLocation});
}

// The converse: a folder that is not there afterwards still counts as left
// when the shell said the deletion failed (here the existence test could not
// look the first time, and the shell answered "cancelled" or "denied"); the
// final report, made later, names only what is still there.
TEST(RemovalRun, AFolderTheShellFailedOnIsReportedEvenWhenItIsGone) {
  for (long error : {1223L, winerr::kAccessDenied}) {
    SCOPED_TRACE(error);
    Bench b;  // nothing installed: the cache folder is not there
    b.machine->InjectFault({SimMachine::Call::FindFirst, kCache, 1, winerr::kAccessDenied});
    b.machine->InjectFault({SimMachine::Call::ShellFileOperation, kCache, 0, error});
    b.engine.Run(scenario::kLocation);
    EXPECT_FALSE(b.machine->Exists(kCache));
    EXPECT_TRUE(b.ui.AnyBoxContains(std::string("Could not delete: ") + kCache));
    EXPECT_TRUE(b.ui.AnyBoxContains(texts::kSuccess));
  }
}
