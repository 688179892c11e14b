// Step 1 against what the student folder can hold besides plain files: names
// the ANSI code page cannot spell, folder links (a loop, a system folder),
// and paths whose rollback texts run past the ANSI length limit. Each run
// loses no student file, leaves no partial backup and says what happened.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scenario.h"

using scenario::Bench;

namespace {

using scenario::kCopyFailed;
const std::string kBackup = scenario::kBackup;
const std::string kStudents = scenario::kStudents;

// The run stopped at step 1 with the copy message, nothing of the product
// touched and every student file where it was.
void ExpectAbandonedIntact(const Bench& b, const scenario::Installation& inst) {
  ASSERT_FALSE(b.ui.Boxes().empty());
  EXPECT_EQ(b.ui.Boxes().back().text, kCopyFailed);
  EXPECT_TRUE(b.machine->Recycled().empty());
  EXPECT_TRUE(b.state.m_failures.empty());
  for (const auto& file : inst.studentFiles) {
    std::string bytes;
    EXPECT_TRUE(b.machine->ReadFile(file.first, bytes) && bytes == file.second) << file.first;
  }
}

// True when some call named a path below `folder` (its text contains it).
bool AnyCallBelow(const Bench& b, const std::string& folder) {
  const std::vector<SimMachine::CallRecord>& calls = b.machine->Calls();
  return std::any_of(calls.begin(), calls.end(), [&](const SimMachine::CallRecord& call) {
    return call.subject.find(folder + "\\") != std::string::npos;
  });
}

}  // namespace

// "a.txt" and a fullwidth "ａ.txt" both come back from the ANSI search as
// "a.txt": the second is not an earlier copy, and the backup is incomplete.
// So too on Windows 98, where only a "?" in the ANSI name tells.
TEST(BackupCompleteness, ANameTheCodePageCannotHoldFailsTheCopy) {
  for (bool windows98 : {false, true})
  for (const char* name : {u8"\uFF41.txt", u8"\u65E5\u672C.txt"}) {
    SCOPED_TRACE(std::string(name) + (windows98 ? " on 98" : ""));
    Bench b;
    if (windows98) b.machine->ActAsOlderSystem(SimMachine::OlderSystem::Windows98);
    scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
    b.machine->AddFile(kStudents + "\\a.txt", "plain a");
    inst.studentFiles[kStudents + "\\a.txt"] = "plain a";
    ASSERT_TRUE(b.machine->AddFileNamedInUtf8(kStudents, name, "twin"));
    EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
    ExpectAbandonedIntact(b, inst);
    EXPECT_FALSE(b.machine->Exists(kBackup));
    const std::vector<std::string> left = b.machine->ListTree(kStudents);
    EXPECT_NE(std::find(left.begin(), left.end(), kStudents + "\\" + name), left.end());
  }
}

// A student file named like an earlier backup file's short name, or a
// stand-in that spells it, reaches that file without being it: only the name
// check sees it (was "Success!", the student file in the Recycle Bin alone).
TEST(BackupCompleteness, AShortNameOfAnEarlierBackupFileFailsTheCopy) {
  for (const bool standIn : {true, false}) {
    SCOPED_TRACE(standIn);
    Bench b;
    scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
    b.machine->AddFile(kBackup + "\\Long Name Zzz.txt", "earlier");  // LONGNA~1.TXT there
    const std::string plain = kStudents + (standIn ? "\\Long Name File.txt" : "\\LONGNA~1.TXT");
    b.machine->AddFile(plain, "plain");
    inst.studentFiles[plain] = "plain";
    ASSERT_TRUE(!standIn || b.machine->AddFileNamedInUtf8(
                                kStudents, u8"\uFF2C\uFF2F\uFF2E\uFF27\uFF2E\uFF21~1.TXT"));
    const std::vector<std::string> before = b.machine->ListTree(kBackup);
    EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
    ExpectAbandonedIntact(b, inst);
    EXPECT_EQ(b.machine->ListTree(kBackup), before);
  }
}

// "Notes.txt" and "NOTES.TXT" in a folder that tells case apart land on one
// name in the backup, whether this copy made it or an earlier backup, or the
// staging folder of an ended run, holds it; so do the folders "Notes" and
// "NOTES", whose files would be merged.
TEST(BackupCompleteness, NamesThatDifferOnlyInCaseFailTheCopy) {
  struct Row {
    const char* twins[2];
    const char* earlier;  // before the run: the twin's copy in the backup or in the
                          // staging folder, the folder in either, or nothing
  };
  const Row rows[] = {{{"Notes.txt", "NOTES.TXT"}, ""},
                      {{"Notes.txt", "NOTES.TXT"}, "copy"},
                      {{"Notes.txt", "NOTES.TXT"}, "staging"},
                      {{"Notes.txt", "NOTES.TXT"}, "folder"},
                      {{"Notes.txt", "NOTES.TXT"}, "staging folder"},
                      {{"Notes\\a.txt", "NOTES\\b.txt"}, ""},
                      {{"Notes\\a.txt", "NOTES\\b.txt"}, "folder"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.twins[0]) + " " + row.earlier);
    Bench b;
    scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
    const std::string folder = kStudents + "\\notes";
    ASSERT_TRUE(b.machine->AddFolder(folder) && b.machine->MakeCaseSensitive(folder));
    for (const char* name : row.twins) {
      ASSERT_TRUE(b.machine->AddFile(folder + "\\" + name, name));
      inst.studentFiles[folder + "\\" + name] = name;
    }
    const std::string earlier = row.earlier;
    if (earlier == "copy") b.machine->AddFile(kBackup + "\\notes\\Notes.txt", "Notes.txt");
    if (earlier == "staging")
      b.machine->AddFile(scenario::kStaging + "\\notes\\Notes.txt", "Notes.txt");
    if (earlier == "folder") b.machine->AddFolder(kBackup + "\\notes");
    if (earlier == "staging folder") b.machine->AddFolder(scenario::kStaging + "\\notes");
    const std::vector<std::string> before = b.machine->ListTree(kBackup);
    EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
    ExpectAbandonedIntact(b, inst);
    EXPECT_EQ(b.machine->ListTree(kBackup), before);
    EXPECT_FALSE(b.machine->Exists(scenario::kStaging));
  }
}

// Under code page 932 "\u30A2.dat" (83 41) and "\u30C2.dat" (83 61) are two
// names: the second byte of a double-byte character is no letter to fold. An
// earlier backup's copy of the second is not taken for this copy's first.
TEST(BackupCompleteness, DoubleByteNamesAreNotFoldedLikeLetters) {
  Bench b;
  b.machine->SetCodePage(932);
  scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
  const std::string names[] = {"\x83" "A.dat", "\x83" "a.dat"};
  for (const std::string& name : names) {
    ASSERT_TRUE(b.machine->AddFile(kStudents + "\\" + name, name));
    inst.studentFiles[kStudents + "\\" + name] = name;
  }
  b.machine->AddFile(kBackup + "\\" + names[1], names[1]);
  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
  EXPECT_EQ(scenario::CheckPromises(b, inst), std::vector<std::string>());
  EXPECT_EQ(b.ui.Boxes().back().caption, std::optional<std::string>("Success!"));
}

// A link to a system folder and a link back up to the student folder: the
// copy never enters either, fails as incomplete, and rolls back.
TEST(BackupCompleteness, LinkedFoldersAreNeverEntered) {
  const char* const targets[] = {"C:\\windows\\system32", scenario::kLocation};
  for (const char* target : targets) {
    SCOPED_TRACE(target);
    Bench b;
    scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
    b.machine->AddFile("C:\\windows\\system32\\kernel32.dll", "system");
    ASSERT_TRUE(b.machine->AddFolderLink(kStudents + "\\linked", target));
    EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
    ExpectAbandonedIntact(b, inst);
    EXPECT_FALSE(AnyCallBelow(b, kStudents + "\\linked"));
    EXPECT_FALSE(b.machine->Exists(kBackup));
    EXPECT_TRUE(b.machine->Exists("C:\\windows\\system32\\kernel32.dll"));
  }
}

// An earlier backup keeps exactly what it held: what this run added goes,
// and its earlier files are not deleted.
TEST(BackupCompleteness, AnEarlierBackupGetsBackExactlyWhatItHeld) {
  Bench b;
  scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
  b.machine->AddFile(kBackup + "\\roster.txt", "last year's roster");
  b.machine->AddFile(kBackup + "\\class1\\old.dat", "earlier");
  const std::vector<std::string> before = b.machine->ListTree(kBackup);
  ASSERT_TRUE(b.machine->AddFolderLink(kStudents + "\\zz-linked", "C:\\windows"));
  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
  ExpectAbandonedIntact(b, inst);
  EXPECT_EQ(b.machine->ListTree(kBackup), before);
  std::string bytes;
  EXPECT_TRUE(b.machine->ReadFile(kBackup + "\\roster.txt", bytes) && bytes == "last year's roster");
}

// Once a subfolder is gone the rollback's texts carry doubled separators, one
// more per level; six of them make the text of a 255-character file path 261
// characters long, past the limit of 260. The calls get the single-separator form and succeed.
TEST(BackupCompleteness, TheRollbackReachesPathsThatDoubledSeparatorsMakeTooLong) {
  Bench b;
  b.machine->LimitPathLength(true);
  scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
  std::string source = kStudents, copy = scenario::kStaging;
  for (int level = 0; level < 6; ++level) {
    b.machine->AddFile(source + "\\a-side\\x.txt", "side");  // handled first at each level
    inst.studentFiles[source + "\\a-side\\x.txt"] = "side";
    const std::string name(30, static_cast<char>('b' + level));
    source += "\\" + name;
    copy += "\\" + name;
  }
  const std::string deepName(254 - copy.size(), 'n');  // 255 with its separator
  ASSERT_TRUE(b.machine->AddFile(source + "\\" + deepName, "deep"));
  inst.studentFiles[source + "\\" + deepName] = "deep";
  ASSERT_EQ((copy + "\\" + deepName).size(), 255u);
  b.machine->HoldOpen(kStudents + "\\roster.txt");  // enumerated last: the rest is copied first
  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
  ExpectAbandonedIntact(b, inst);
  EXPECT_EQ(b.ui.Boxes().size(), 2u);  // the patience prompt and the copy message: no rollback error
  EXPECT_FALSE(b.machine->Exists(kBackup));
}

// The ANSI calls take 259 characters for a file and 248 for a folder: a
// backup path of that length is copied, and one character more (which Wine
// would still copy, and then could not name again) makes the backup incomplete.
// So does the temporary file's, at the top of the backup, beside a short
// name; the backup there already holds a copy of one student file, which stays.
TEST(BackupCompleteness, BackupPathsArePinnedAtTheirLimits) {
  for (std::size_t over : {0u, 1u}) {
    Bench top;
    top.machine->LimitPathLength(true);
    const std::string temporary = std::string("\\") + texts::kCopyTemporaryName;
    const std::string backup = "C:\\" + std::string(259 + over - 3 - temporary.size(), 'b');
    ASSERT_TRUE(top.machine->AddFile(backup + "\\a.txt") && top.machine->AddFile(kStudents + "\\a.txt") &&
                top.machine->AddFile(kStudents + "\\b.txt"));
    EXPECT_EQ(top.units.copy.CopyFolderTree(kStudents, backup), over == 0) << over;
    for (std::size_t limit : {259u, 248u}) {
      SCOPED_TRACE(limit + over);
      Bench b;
      b.machine->LimitPathLength(true);
      scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
      const std::string name(limit + over - kBackup.size() - 1, 'n');
      const std::string file = kStudents + "\\" + name + (limit == 248u ? "\\f" : "");
      ASSERT_TRUE(b.machine->AddFile(file, "long"));
      inst.studentFiles[file] = "long";
      EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
      if (over != 0) {
        ExpectAbandonedIntact(b, inst);
        EXPECT_FALSE(b.machine->Exists(kBackup));
      } else {
        EXPECT_TRUE(scenario::CheckPromises(b, inst).empty());
        EXPECT_EQ((kBackup + "\\" + name).size(), limit);
        EXPECT_TRUE(b.machine->Exists(kBackup + file.substr(kStudents.size())));
      }
    }
  }
}

// The rollback neither enters nor removes a link it meets (removing one
// deletes the empty folder it leads to under Wine): it stops and says so.
TEST(BackupCompleteness, DeleteFolderTreeNeverTouchesALink) {
  Bench b;
  b.machine->AddFolder("C:\\empty");
  b.machine->AddFile(kBackup + "\\copy.txt");
  ASSERT_TRUE(b.machine->AddFolderLink(kBackup + "\\to-empty", "C:\\empty"));
  EXPECT_FALSE(
      b.units.deletion.DeleteFolderTree(scenario::kUserDesktop, "Marlo Coach Saved Student Data"));
  ASSERT_EQ(b.ui.Boxes().size(), 1u);
  EXPECT_EQ(b.ui.Boxes()[0].text, "Could not delete directory: " + kBackup + "\\to-empty");
  EXPECT_EQ(b.ui.Boxes()[0].caption, std::optional<std::string>("Error"));
  EXPECT_TRUE(b.machine->IsFolder("C:\\empty"));
  EXPECT_TRUE(b.machine->IsFolder(kBackup + "\\to-empty"));
  EXPECT_FALSE(b.machine->Exists(kBackup + "\\copy.txt"));
}
