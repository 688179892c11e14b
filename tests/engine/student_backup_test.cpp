// Step 1: the student data is copied in full to the desktop, or the run
// stops before anything of the product is deleted.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scenario.h"

using scenario::Bench;

namespace {

using scenario::kCopyFailed;
const std::string kBackup = scenario::kBackup;
const std::string kStaging = scenario::kStaging;
const std::string kStudents = scenario::kStudents;

// The run stopped after step 1: the message, the progress window closed, no
// report, nothing of the product touched.
void ExpectAbandoned(const Bench& b, RunOutcome outcome) {
  EXPECT_EQ(outcome, RunOutcome::Finished);
  ASSERT_GE(b.ui.Boxes().size(), 2u);
  EXPECT_EQ(b.ui.Boxes().back().text, kCopyFailed);
  EXPECT_FALSE(b.ui.Boxes().back().caption.has_value());
  EXPECT_EQ(b.ui.Events().back(), "destroy");
  EXPECT_TRUE(b.machine->Recycled().empty());
  EXPECT_TRUE(b.machine->Exists(std::string(scenario::kLocation) + "\\MarloCoach.exe"));
  EXPECT_TRUE(b.state.m_failures.empty());
}

}  // namespace

TEST(StudentBackup, MissingStudentsFolderAbandonsTheRun) {
  Bench b;
  b.machine->AddFile(std::string(scenario::kLocation) + "\\MarloCoach.exe");
  b.state.m_location = scenario::kLocation;
  ExpectAbandoned(b, b.engine.Run(scenario::kLocation));
  EXPECT_FALSE(b.machine->Exists(kBackup) || b.machine->Exists(kStaging));  // made and removed again
}

// Files already under their own names stay as they are; a copy that an
// interrupted run cut short under the temporary name is deleted first,
// its attributes cleared (read-only, as the copy left it).
TEST(StudentBackup, ASecondRunAddsToTheEarlierBackupWithoutOverwriting) {
  Bench b;
  scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
  b.machine->AddFile(kBackup + "\\roster.txt", "last year's roster");
  b.machine->AddFile(kBackup + "\\old.txt", "earlier");
  const std::string partial = kBackup + "\\RMLC~CPY.TMP";
  b.machine->AddFile(partial, "bob pro", kAttrReadOnly);
  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
  std::string bytes;
  EXPECT_TRUE(b.machine->ReadFile(kBackup + "\\roster.txt", bytes) && bytes == "last year's roster");
  EXPECT_TRUE(b.machine->Exists(kBackup + "\\old.txt"));
  for (const auto& file : inst.studentFiles) {  // the one copied over the partial copy too
    if (file.first.rfind(kStudents + "\\", 0) != 0 || file.first == kStudents + "\\roster.txt") continue;
    EXPECT_TRUE(b.machine->ReadFile(kBackup + file.first.substr(kStudents.size()), bytes) &&
                bytes == file.second) << file.first;
  }
  EXPECT_FALSE(b.machine->Exists(partial));
  EXPECT_FALSE(b.machine->Exists(scenario::kLocation));
  EXPECT_EQ(scenario::CheckPromises(b, inst), std::vector<std::string>());
  // Nothing left to copy: a temporary file that an ended run left goes all the same.
  ASSERT_TRUE(b.machine->AddFolder(kStudents) && b.machine->AddFile(partial, "cut"));
  EXPECT_TRUE(b.units.copy.CopyFolderTree(kStudents, kBackup) && !b.machine->Exists(partial));
}

// A staging folder that an ended run left is copied over: its cut-short,
// read-only copy of a student file is replaced, also where the first copy over
// it is refused (Windows refuses a read-only target; Wine does not).
TEST(StudentBackup, AStagingFolderThatAnEndedRunLeftIsCopiedOver) {
  Bench b;
  scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
  b.machine->AddFile(kStaging + "\\roster.txt", "cut", kAttrReadOnly);
  b.machine->InjectFault({SimMachine::Call::CopyOneFile, kStaging + "\\roster.txt", 1});
  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
  std::string bytes;
  EXPECT_TRUE(b.machine->ReadFile(kBackup + "\\roster.txt", bytes) &&
              bytes == inst.studentFiles[kStudents + "\\roster.txt"]);
  EXPECT_EQ(scenario::CheckPromises(b, inst), std::vector<std::string>());
}

TEST(StudentBackup, AFileThatCannotBeCopiedRollsTheWholeBackupBack) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.machine->HoldOpen(kStudents + "\\roster.txt");  // enumerated last: everything else is copied
  ExpectAbandoned(b, b.engine.Run(scenario::kLocation));
  EXPECT_FALSE(b.machine->Exists(kStaging));  // dot-named and read-only copies went too
  // Each file of the rollback is shown and painted at once; once a subfolder
  // is gone, the folder's path carries a trailing backslash.
  std::vector<std::string> expected;
  for (const char* rest : {"\\.cache\\state.bin", "\\\\.profile", "\\\\class1\\alice.dat",
                           "\\\\class1\\bob.dat", "\\\\class2\\deep\\notes.txt"}) {
    expected.push_back("detail:" + kStaging + rest);
    expected.push_back("redraw");
  }
  const std::vector<std::string>& events = b.ui.Events();
  auto top = std::find(events.begin(), events.end(), "top");
  ASSERT_NE(top, events.end());
  EXPECT_EQ(std::vector<std::string>(top + 1, top + 1 + expected.size()), expected);
}

TEST(StudentBackup, AnyGapInTheCopyAbandonsTheRun) {
  const SimMachine::Fault faults[] = {
      {SimMachine::Call::CopyOneFile, "alice.dat", 0, winerr::kAccessDenied},
      {SimMachine::Call::MakeDirectory, "\\class2", 0, winerr::kAccessDenied},
      {SimMachine::Call::SetCurrentDir, "Students\\class2", 0, winerr::kAccessDenied},
      {SimMachine::Call::FindFirst, "class2\\deep\\*", 0, winerr::kAccessDenied},
      {SimMachine::Call::FindNext, "Students\\class1", 0, winerr::kInvalidParameter},
      {SimMachine::Call::RenameFile, texts::kBackupStagingName, 0, winerr::kAccessDenied},
  };
  for (const SimMachine::Fault& fault : faults) {
    SCOPED_TRACE(fault.subjectContains);
    Bench b;
    scenario::SeedSimulatedInstallation(b);
    b.machine->InjectFault(fault);
    ExpectAbandoned(b, b.engine.Run(scenario::kLocation));
    EXPECT_FALSE(b.machine->Exists(kBackup));
    EXPECT_EQ(b.machine->Exists(kStaging), fault.call == SimMachine::Call::RenameFile);
  }
}

// The rollback stops at its first failure, a file or a folder, in a new
// backup and in an earlier one: one message, then the copy message.
TEST(StudentBackup, ARollbackThatFailsSaysSoBeforeTheCopyMessage) {
  struct Row {
    bool earlier;
    bool folderFails;  // else a file in it is held open
    std::string message;
  };
  const Row rows[] = {{false, false, "Could not delete file: " + kStaging + "\\\\class1\\alice.dat"},
                      {true, false, "Could not delete file: " + kBackup + "\\class1\\alice.dat"},
                      {false, true, "Could not delete directory: " + kStaging + "\\\\class1"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    Bench b;
    scenario::SeedSimulatedInstallation(b);
    if (row.earlier) b.machine->AddFile(kBackup + "\\old.txt", "earlier");
    b.machine->HoldOpen(kStudents + "\\roster.txt");
    if (row.folderFails) b.machine->InjectFault({SimMachine::Call::RemoveDir, "\\class1"});
    else b.machine->HoldOpen((row.earlier ? kBackup : kStaging) + "\\class1\\alice.dat");
    ExpectAbandoned(b, b.engine.Run(scenario::kLocation));
    ASSERT_EQ(b.ui.Boxes().size(), 3u);
    EXPECT_EQ(b.ui.Boxes()[1].text, row.message);
    EXPECT_EQ(b.ui.Boxes()[1].caption, std::optional<std::string>("Error"));
  }
}

TEST(StudentBackup, WithoutAUserDesktopNothingIsWrittenAnywhere) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  b.machine->SetSpecialFolder(csidl::kDesktopDirectory, "C:\\nowhere");
  ExpectAbandoned(b, b.engine.Run(scenario::kLocation));
  for (const SimMachine::CallRecord& call : b.machine->Calls())
    EXPECT_NE(call.call, SimMachine::Call::MakeDirectory) << call.subject;
}

// A subfolder that cannot be made (a file stands where it must go, whether
// the student folder holds files or none), a copy that cannot take its own
// name, or one whose name is the short name of a file this copy made: what
// the run made goes, its temporary file too, and nothing else.
TEST(StudentBackup, AnEarlierBackupKeepsItsContentsWhenTheCopyFails) {
  for (const std::string row : {"\\class1", "\\empty class", "rename fails", "short name"}) {
    SCOPED_TRACE(row);
    Bench b;
    scenario::SeedSimulatedInstallation(b);
    b.machine->AddFile(kBackup + "\\old.txt", "earlier");
    std::vector<std::string> kept = {kBackup + "\\old.txt"};
    if (row == "rename fails") {
      b.machine->InjectFault({SimMachine::Call::RenameFile, "roster.txt", 0, winerr::kAccessDenied});
    } else if (row == "short name") {  // the later one is LONGNA~2.TXT here, LONGNA~1.TXT in the backup
      b.machine->AddFile(kStudents + "\\LONGNA~1.TXT", "real name");
      b.machine->AddFile(kStudents + "\\Long Name File.txt", "long name");
    } else {
      b.machine->AddFile(kBackup + row, "a file where a folder must go");
      kept.insert(kept.begin(), kBackup + row);
    }
    ExpectAbandoned(b, b.engine.Run(scenario::kLocation));
    EXPECT_EQ(b.machine->ListTree(kBackup), kept);
  }
}

TEST(StudentBackup, DeleteFolderTreeNeverTouchesAnythingButItsOwnFolder) {
  Bench b;
  const std::string desktop = scenario::kUserDesktop;
  b.machine->AddFile(desktop + "\\Marlo Coach Saved Student Data.zip", "archive");
  b.machine->AddFile(desktop + "\\lesson plan.doc", "not ours");
  b.machine->SetCurrentDir(desktop);
  // The prefix test matches the archive, but the folder itself is not there.
  EXPECT_FALSE(b.units.deletion.DeleteFolderTree(desktop, "Marlo Coach Saved Student Data"));
  EXPECT_TRUE(b.machine->Exists(desktop + "\\Marlo Coach Saved Student Data.zip"));
  EXPECT_TRUE(b.machine->Exists(desktop + "\\lesson plan.doc"));
  EXPECT_TRUE(b.ui.Boxes().empty());

  b.machine->AddFile(kBackup + "\\kept.txt");
  b.machine->InjectFault({SimMachine::Call::SetCurrentDir, "Saved Student Data", 1});
  EXPECT_FALSE(b.units.deletion.DeleteFolderTree(desktop, "Marlo Coach Saved Student Data"));
  EXPECT_TRUE(b.machine->Exists(kBackup + "\\kept.txt"));
  EXPECT_TRUE(b.machine->Exists(desktop + "\\lesson plan.doc"));
}
