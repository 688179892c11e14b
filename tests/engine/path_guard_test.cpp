// The deletion guard against other spellings of protected folders, double-byte
// location names, drives without a Recycle Bin and drives that cannot answer.
#include <gtest/gtest.h>

#include "services/error_codes.h"
#include "shared/path_rules.h"
#include "tests/support/scenario.h"

using scenario::Bench;

namespace {

// A CP932 character whose second byte is 0x5C, the backslash.
const std::string kTrailBackslash = "\x95\x5C";

AnsiCodePage Cp932() {
  SimMachine machine;
  machine.SetCodePage(932);
  return machine.CodePage();
}

std::size_t ShellCalls(const SimMachine& machine) {
  std::size_t count = 0;
  for (const SimMachine::CallRecord& call : machine.Calls())
    count += call.call == SimMachine::Call::ShellFileOperation;
  return count;
}

}  // namespace

TEST(PathRules, DoubleByteCharactersAreNeverSplitAtTheirSecondByte) {
  const AnsiCodePage cp932 = Cp932();
  const std::string folder = "C:\\Apps\\" + kTrailBackslash;
  EXPECT_EQ(WithoutTrailingBackslashes(folder, cp932), folder);
  EXPECT_EQ(WithoutTrailingBackslashes(folder + "\\\\", cp932), folder);
  EXPECT_EQ(FolderPathOf(folder + "\\", cp932), folder);
  EXPECT_EQ(ParentFolderOf(folder + "\\Marlo", cp932), folder);
  EXPECT_EQ(ParentFolderOf(folder, cp932), "C:\\Apps");
  EXPECT_EQ(DropLastComponent("C:\\" + kTrailBackslash, cp932), "C:");
  EXPECT_EQ(StudentsFolderFor(kTrailBackslash + "\\Apps", cp932),
            kTrailBackslash + "\\MLC Students");
  EXPECT_EQ(WithSingleSeparators(folder + "\\\\Marlo", cp932), folder + "\\Marlo");
  EXPECT_EQ(WithSingleSeparators("C:\\" + kTrailBackslash + "\\x", cp932),
            "C:\\" + kTrailBackslash + "\\x");
  EXPECT_EQ(WithSingleSeparators("C:\\" + kTrailBackslash + "\\x"), "C:\\\x95\\x");
  // Read byte by byte, the same text ends in a backslash.
  EXPECT_EQ(WithoutTrailingBackslashes(folder), "C:\\Apps\\\x95");

  // Only single-byte letters change case: "\x82\x41" and "\x82\x61" are two characters.
  EXPECT_NE(ComparablePath("C:\\\x82\x41", cp932), ComparablePath("C:\\\x82\x61", cp932));
  EXPECT_EQ(ComparablePath("C:\\A" + kTrailBackslash + "\\.", cp932), "c:\\a" + kTrailBackslash);
  EXPECT_FALSE(IsProtectedFolder("C:\\" + kTrailBackslash, {"C:\\\x95"}, cp932));
  EXPECT_TRUE(IsProtectedFolder("C:\\" + kTrailBackslash, {"C:\\\x95"}));
  EXPECT_TRUE(IsProtectedFolder("C:\\" + kTrailBackslash + "\\..", {"C:\\Data"}, cp932));
  // Nor is a lead byte before a colon a drive letter.
  EXPECT_TRUE(IsProtectedFolder("\x82:\\Apps", {}, cp932));
}

TEST(PathRules, DevicePathsAndAdministrativeSharesAreRefused) {
  for (const char* target :
       {"\\\\.\\C:\\Apps\\Marlo Coach", "\\\\?\\C:\\Apps\\Marlo Coach", "//./C:/Apps/Marlo Coach",
        "\\\\?\\UNC\\server\\share\\Marlo Coach", "\\\\localhost\\C$\\Apps\\Marlo Coach",
        "\\\\server\\admin$\\Marlo Coach"}) {
    EXPECT_TRUE(IsProtectedFolder(target, {})) << target;
  }
  EXPECT_FALSE(IsProtectedFolder("\\\\server\\share$name\\Marlo Coach", {}));
}

TEST(PathGuard, OtherSpellingsOfProtectedFoldersAreReportedNotRecycled) {
  // The save box cleared, each confirmed with Yes: no spelling of Program
  // Files or Common Files may empty it.
  Bench probe;
  const std::string programFiles = probe.machine->ShortPathOf("C:\\Program Files");
  const std::string commonFiles = probe.machine->ShortPathOf("C:\\Program Files\\Common Files");
  ASSERT_EQ(programFiles, "C:\\PROGRA~1");
  ASSERT_EQ(commonFiles, "C:\\PROGRA~1\\COMMON~1");
  for (const std::string& typed :
       {programFiles, programFiles + "\\", commonFiles, std::string("c:\\progra~1\\common~1\\."),
        std::string("\\\\.\\C:\\Program Files\\Common Files"), std::string("\\\\?\\C:\\PROGRA~1"),
        std::string("\\\\localhost\\C$\\Program Files")}) {
    Bench b;
    scenario::SeedSimulatedInstallation(b);
    b.state.m_saveStudentData = false;
    b.ui.Answer(BoxAnswer::Yes);
    b.engine.Run(typed);
    EXPECT_TRUE(b.machine->Exists(std::string(scenario::kLocation) + "\\MarloCoach.exe")) << typed;
    EXPECT_TRUE(b.machine->Exists("C:\\Program Files\\Common Files")) << typed;
    EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete: " + FolderPathOf(typed))) << typed;
    EXPECT_EQ(b.state.m_failures.back(), "Folder: " + FolderPathOf(typed));
  }
  // A relative path names whatever the current folder is: here the installation.
  probe.machine->AddFolder(scenario::kLocation);
  probe.machine->SetCurrentDir("C:\\Program Files");
  EXPECT_FALSE(probe.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, "Marlo Coach"));
  EXPECT_TRUE(probe.machine->Exists(scenario::kLocation));
}

TEST(PathGuard, AProtectedFolderKnownOnlyByItsShortNameIsStillGuarded) {
  // The system names Program Files by its short name; the long spelling of
  // a folder inside it is caught by identity, and by its resolved name
  // where no folder has an identity.
  for (bool identities : {true, false}) {
    Bench b;
    if (!identities) b.machine->InjectFault({SimMachine::Call::IdentityOf, "", 0, winerr::kInvalidParameter});
    b.machine->SetSpecialFolder(csidl::kProgramFiles, "C:\\PROGRA~1");
    b.machine->SetSpecialFolder(csidl::kProgramFilesX86, "C:\\PROGRA~1");
    b.machine->SetSpecialFolder(csidl::kProgramFilesCommon, "C:\\PROGRA~1\\COMMON~1");
    EXPECT_FALSE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, "C:\\Program Files"));
    EXPECT_FALSE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, "C:\\Program Files\\Common Files"));
    EXPECT_EQ(ShellCalls(*b.machine), 0u);
    b.machine->AddFolder("C:\\Program Files\\Marlo Coach");
    EXPECT_TRUE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, "C:\\PROGRA~1\\MARLOC~1"));
    EXPECT_FALSE(b.machine->Exists("C:\\Program Files\\Marlo Coach"));
  }
}

TEST(PathGuard, WithoutIdentitiesEverySpellingIsRefusedByItsLongPath) {
  // On 9x and some network drives no folder has an identity: the long path
  // alone refuses the short spellings. A long path the system cannot make
  // for another reason than absence (a folder that may not be listed, a drive
  // not ready, a network error) cannot be told apart from a protected folder.
  for (long longPathError : {0L, winerr::kAccessDenied, winerr::kNotReady, winerr::kBadNetPath}) {
    Bench b;
    b.machine->InjectFault({SimMachine::Call::IdentityOf, "", 0, winerr::kAccessDenied});
    if (longPathError != 0)
      b.machine->InjectFault({SimMachine::Call::LongPathName, "COMMON~1", 0, longPathError});
    for (const char* target : {"C:\\PROGRA~1", "C:\\PROGRA~1\\COMMON~1", "c:\\progra~1\\common~1\\."})
      EXPECT_FALSE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, target)) << target;
    EXPECT_EQ(ShellCalls(*b.machine), 0u) << longPathError;
  }
}

TEST(PathGuard, ALinkToAProtectedFolderOrOneAboveItIsRefused) {
  // "Windows" below the first link is the folder that holds the user's Start
  // menu; a drive's root holds every folder on it. A Start menu whose long
  // name cannot be made (5) is still known by its identity, and so are the
  // folders above it; a shell folder whose full path cannot be made takes
  // nothing from the others.
  struct Row {
    const char* target;
    const char* deleted;  // below the link C:\Apps\link
    SimMachine::Call failing;
    const char* failingFor;
  };
  const SimMachine::Call longPath = SimMachine::Call::LongPathName;
  const Row rows[] = {
      {"C:\\users\\tech\\AppData\\Roaming\\Microsoft", "\\Windows", longPath, ""},
      {"C:\\users\\tech\\AppData\\Roaming\\Microsoft", "\\Windows", longPath, "Start Menu"},
      {scenario::kUserStartMenu, "", longPath, "Start Menu"},
      {"C:\\", "", longPath, ""},
      {scenario::kCommonDesktop, "", longPath, ""},
      {scenario::kUserStartMenu, "", SimMachine::Call::FullPathName, "Public\\Desktop"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.target) + row.deleted + " " + row.failingFor);
    Bench b;
    if (*row.failingFor) b.machine->InjectFault({row.failing, row.failingFor});
    ASSERT_TRUE(b.machine->AddFolderLink("C:\\Apps\\link", row.target));
    EXPECT_FALSE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow,
                                                   std::string("C:\\Apps\\link") + row.deleted));
    EXPECT_EQ(ShellCalls(*b.machine), 0u);
    EXPECT_TRUE(b.machine->IsFolder(scenario::kUserStartMenu));
  }
}

TEST(PathGuard, TheNativeProgramFilesOfA64BitSystemIsGuardedInA32BitProgram) {
  // A 32-bit program on 64-bit Windows is shown "Program Files (x86)" for
  // both Program Files queries; only the environment names the native ones.
  for (bool named : {true, false}) {
    Bench b;
    b.machine->AddFolder("C:\\Program Files (x86)\\Common Files");
    b.machine->SetSpecialFolder(csidl::kProgramFiles, "C:\\Program Files (x86)");
    b.machine->SetSpecialFolder(csidl::kProgramFilesX86, "C:\\Program Files (x86)");
    b.machine->SetSpecialFolder(csidl::kProgramFilesCommon, "C:\\Program Files (x86)\\Common Files");
    if (named) {
      b.machine->SetEnvironmentVariable("ProgramW6432", "C:\\Program Files");
      b.machine->SetEnvironmentVariable("CommonProgramW6432", "C:\\Program Files\\Common Files");
    }
    EXPECT_NE(b.units.folders.ShellDeleteFolder(FakeRunUi::kMainWindow, "C:\\Program Files"), named);
    EXPECT_EQ(b.machine->Exists("C:\\Program Files\\Common Files"), named);
  }
}

TEST(PathGuard, ALocationWithATrailBackslashCharacterIsConfirmedAndRemoved) {
  Bench b;
  b.machine->SetCodePage(932);
  const std::string location = "C:\\Apps\\" + kTrailBackslash;
  b.machine->AddFile(location + "\\MarloCoach.exe");
  b.machine->AddFile("C:\\Apps\\keep.txt");
  b.state.m_location = "C:\\Apps\\Other";
  b.state.m_saveStudentData = false;
  b.engine.Run(location + "\\");
  EXPECT_FALSE(b.ui.AnyBoxContains("was not found in this location"));
  EXPECT_FALSE(b.machine->Exists(location));
  EXPECT_TRUE(b.machine->Exists("C:\\Apps\\keep.txt"));
  EXPECT_EQ(b.ui.Boxes().back().caption, std::optional<std::string>(texts::kSuccessCaption));
}

TEST(PathGuard, NothingIsDeletedOnADriveWithoutARecycleBin) {
  // The shell's undo flag does nothing on a removable or network drive; the
  // students folder there is never backed up, so it must stay.
  for (unsigned type : {2u /* removable */, 4u /* remote */, 6u /* RAM disk */}) {
    Bench b;
    b.machine->AddDrive('E');
    b.machine->SetDriveType('E', type);
    b.machine->AddFile("E:\\MLC Students\\ann.dat", "ann");
    b.machine->AddFile("E:\\Marlo Coach\\MarloCoach.exe");
    b.state.m_location = "E:\\Marlo Coach";
    b.state.m_saveStudentData = false;
    b.engine.Run(b.state.m_location);
    EXPECT_TRUE(b.machine->Exists("E:\\MLC Students\\ann.dat")) << type;
    EXPECT_TRUE(b.machine->Exists("E:\\Marlo Coach\\MarloCoach.exe")) << type;
    EXPECT_EQ(b.machine->PermanentlyDeletedCount(), 0u);
    EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete: E:\\MLC Students"));
    EXPECT_EQ(b.state.m_failures,
              (std::vector<std::string>{"Folder: E:\\MLC Students", "Folder: E:\\Marlo Coach"}));
  }
}

TEST(PathGuard, AFolderWhoseDriveCannotAnswerIsALeftover) {
  // Not ready, network path or share unreachable, drive letter gone: the
  // folder may exist, so the report must not say "Success!".
  for (long error : {winerr::kNotReady, winerr::kBadNetPath, winerr::kBadNetName,
                     winerr::kInvalidDrive, 1231L /* network unreachable */}) {
    Bench b;
    b.state.m_location = "N:\\Marlo Coach";
    b.state.m_saveStudentData = false;
    b.machine->InjectFault({SimMachine::Call::FindFirst, "N:\\", 0, error});
    b.engine.Run(b.state.m_location);
    EXPECT_EQ(b.state.m_failures,
              (std::vector<std::string>{"Folder: N:\\MLC Students", "Folder: N:\\Marlo Coach"}))
        << error;
  }
  // "Not there" answers still skip the folder, or, from the guard's long
  // path, let it go.
  for (SimMachine::Call call : {SimMachine::Call::FindFirst, SimMachine::Call::LongPathName})
  for (long error : {winerr::kFileNotFound, winerr::kPathNotFound, winerr::kInvalidName}) {
    Bench b;
    b.state.m_location = "C:\\Apps\\Marlo Coach";
    b.state.m_saveStudentData = false;
    b.machine->AddFile(b.state.m_location + "\\MarloCoach.exe");
    b.machine->InjectFault({call, "C:\\Apps", 0, error});
    b.engine.Run(b.state.m_location);
    EXPECT_TRUE(b.state.m_failures.empty()) << error;
  }
}
