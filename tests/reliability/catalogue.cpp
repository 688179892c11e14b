#include "tests/reliability/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>
#include <set>

#include "services/error_codes.h"
#include "shared/path_rules.h"

using scenario::AnyLineStartsWith;
using scenario::Bench;
using scenario::Installation;

namespace catalogue {

namespace {

const std::string kLocation = scenario::kLocation;
const std::string kStudents = kLocation + "\\Students";
const std::string kUserDesktop = scenario::kUserDesktop;
const std::string kCommonDesktop = scenario::kCommonDesktop;
const std::string kUninstall = scenario::kUninstallKey;
const std::string kProduct = scenario::kProductKey;
using texts::kCopyFailed;
using texts::kProductSubkeyLine;
const std::string kUninstallLine = texts::kUninstallLine;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Drops the product items whose path contains `part`: the run cannot see
// them in this case, so they must stay as they are instead.
void Forget(std::vector<std::string>& items, const std::string& part) {
  items.erase(std::remove_if(items.begin(), items.end(),
                             [&part](const std::string& item) { return Contains(item, part); }),
              items.end());
}

// Per-user folders formed from the shell's folders with the user "tech".
void ForgetDerivedShortcuts(Installation& inst) {
  Forget(inst.shortcuts, "C:\\tech\\");
  Forget(inst.shortcuts, "ProgramData\\tech\\");
}

// Empties a folder through the services, as if it had been seeded that way.
void EmptyFolder(Bench& b, Installation& inst, const std::string& folder) {
  std::vector<std::string> tree = b.machine->ListTree(folder);
  for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
    if (b.machine->IsFolder(*it)) {
      b.machine->RemoveDir(*it);
    } else {
      b.machine->SetAttributes(*it, kAttrArchive);
      b.machine->RemoveFile(*it);
    }
  }
  for (auto it = inst.studentFiles.begin(); it != inst.studentFiles.end();)
    it = Contains(it->first, folder + "\\") ? inst.studentFiles.erase(it) : std::next(it);
}

void RemoveStudentsFolder(Bench& b, Installation& inst) {
  EmptyFolder(b, inst, kStudents);
  b.machine->RemoveDir(kStudents);
}

// A read-only, hidden system file among the student data.
void AddSystemFile(Bench& b, Installation& inst) {
  const std::string path = kStudents + "\\class2\\system.dat";
  b.machine->AddFile(path, "system", kAttrSystem | kAttrHidden | kAttrReadOnly);
  inst.studentFiles[path] = "system";
}

void ExpectAbandoned(const Bench& b) {
  EXPECT_TRUE(b.ui.AnyBoxContains(kCopyFailed));
  EXPECT_TRUE(b.machine->Recycled().empty());
  EXPECT_TRUE(b.state.m_failures.empty());
}

void ExpectRemoved(const Bench& b, const std::string& folder) {
  EXPECT_FALSE(b.machine->Exists(folder)) << folder;
  EXPECT_FALSE(b.ui.AnyBoxContains(kCopyFailed));
}

std::size_t CountLines(const Bench& b, const std::string& line) {
  return static_cast<std::size_t>(
      std::count(b.state.m_failures.begin(), b.state.m_failures.end(), line));
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// The ANSI file calls refuse paths that do not fit MAX_PATH; the simulated
// machine does not, so a case that needs it makes the calls on paths
// through `component` fail as Windows would.
void RefuseLongPathsThrough(Bench& b, const std::string& component) {
  for (SimMachine::Call call : {SimMachine::Call::CopyOneFile, SimMachine::Call::MakeDirectory,
                                SimMachine::Call::SetCurrentDir, SimMachine::Call::FindFirst})
    b.machine->InjectFault({call, component, 0, winerr::kFilenameTooLong});
}

// Appends a case on the standard location and returns it to be filled in.
Case& AddCase(std::vector<Case>& cases, const std::string& name) {
  cases.emplace_back();
  cases.back().name = name;
  return cases.back();
}

// Paths at and beyond the lengths that the buffers and the ANSI calls hold.
void AddPathCases(std::vector<Case>& cases) {
  for (std::size_t length : {258u, 259u, 300u, 1000u}) {
    Case& c = AddCase(cases, "LocationOf" + std::to_string(length) + "Chars");
    c.location = PathOfLength("C:\\Apps\\", length, "\\Marlo Coach");
    c.sweep = length == 259;
    c.expect = [length](const Bench& b, const Installation& inst) {
      // Two NULs must follow the path in the shell's 260-character buffer.
      if (length <= 258) {
        ExpectRemoved(b, inst.location);
      } else {
        EXPECT_TRUE(ReportsFolder(b, inst.location));
        EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete: " + inst.location));
      }
    };
  }
  for (std::size_t length : {200u, 258u, 300u, 1000u}) {
    Case& c = AddCase(cases, "StudentFilePathOf" + std::to_string(length) + "Chars");
    c.sweep = length == 300;
    c.prepare = [length](Bench& b, Installation& inst) {
      std::string path = PathOfLength(kStudents + "\\", length, "\\deep.dat");
      b.machine->AddFile(path, "deep data");
      inst.studentFiles[path] = "deep data";
    };
    // The backup path is longer by the difference of the two folders; one
    // beyond the 259 characters that Windows copies to is never made (Wine
    // would make it, and could not delete it again).
    const bool fits = length + std::string(scenario::kBackup).size() - kStudents.size() <= 259;
    c.expect = [fits](const Bench& b, const Installation& inst) {
      if (fits) ExpectRemoved(b, inst.location);
      else ExpectAbandoned(b);
    };
  }
  {
    Case& c = AddCase(cases, "StudentDataDeeperThanTheBackupCanHold");
    c.prepare = [](Bench& b, Installation& inst) {
      // 250 characters fit below the Students folder, but not below the
      // longer backup folder.
      std::string path = PathOfLength(kStudents + "\\Overlong\\", 250, "\\x.dat");
      b.machine->AddFile(path, "too deep for the backup");
      inst.studentFiles[path] = "too deep for the backup";
      RefuseLongPathsThrough(b, "Saved Student Data\\Overlong");
    };
    c.expect = [](const Bench& b, const Installation&) { ExpectAbandoned(b); };
  }
  {
    Case& c = AddCase(cases, "StartMenuOf300Chars");
    c.prepare = [](Bench& b, Installation& inst) {
      const std::string start =
          "C:\\ProgramData\\" + Repeat('S', 230) + "\\Microsoft\\Windows\\Start Menu";
      b.machine->SetSpecialFolder(csidl::kCommonStartMenu, start);
      const std::string folder = start + "\\Programs\\Marlo Coach";
      b.machine->AddFile(folder + "\\Uninstall.lnk", "shortcut");
      inst.shortcuts.push_back(folder + "\\Uninstall.lnk");
      inst.shortcuts.push_back(folder);
      // The old common Start menu is no longer the shell's: what is in it stays.
      Forget(inst.shortcuts, scenario::kCommonStartMenu);
      Forget(inst.shortcuts, "ProgramData\\tech\\");  // derived from it
    };
    c.expect = [](const Bench& b, const Installation&) {
      const std::string start =
          "C:\\ProgramData\\" + Repeat('S', 230) + "\\Microsoft\\Windows\\Start Menu";
      EXPECT_FALSE(b.machine->Exists(start + "\\Programs\\Marlo Coach\\Uninstall.lnk"));
      EXPECT_TRUE(ReportsFolder(b, start + "\\Programs\\Marlo Coach"));
    };
  }
}

// Locations as a user may type them, and one on another drive.
void AddTypedLocationCases(std::vector<Case>& cases) {
  // Windows reads a slash as a backslash: a typed "...\Marlo Coach/" names
  // the folder as much as "...\Marlo Coach\" does, and both must be removed
  // for real, never end in a "Success!" that deleted nothing.
  for (const char* suffix : {"\\", "/"}) {
    Case& c = AddCase(cases, std::string("TypedLocationWithTrailing") +
                                 (suffix[0] == '/' ? "Slash" : "Backslash"));
    c.prepare = [](Bench& b, Installation&) { b.state.m_location = kLocation; };
    c.location = kLocation + suffix;
    c.expect = [](const Bench& b, const Installation&) { ExpectRemoved(b, kLocation); };
  }
  {
    Case& c = AddCase(cases, "TypedLocationWithDoubledBackslashes");
    c.location = "C:\\Program Files\\\\Marlo Coach";
    c.expect = [](const Bench& b, const Installation&) { ExpectRemoved(b, kLocation); };
  }
  {
    Case& c = AddCase(cases, "TypedRelativeLocation");
    c.prepare = [](Bench& b, Installation& inst) {
      b.state.m_saveStudentData = false;
      Forget(inst.productFolders, kLocation);  // the run was told another folder
      inst.location = "Marlo Coach";
    };
    c.expect = [](const Bench& b, const Installation&) {
      EXPECT_TRUE(b.machine->Exists(kLocation));
      EXPECT_TRUE(ReportsFolder(b, "Marlo Coach"));
    };
  }
  {
    Case& c = AddCase(cases, "LocationOnAnotherDrive");
    c.location = "D:\\Apps\\Marlo Coach";
    c.expect = [](const Bench& b, const Installation& inst) {
      ExpectRemoved(b, inst.location);
      EXPECT_FALSE(b.machine->Exists("D:\\MLC Students"));
    };
  }
}

// Student file names the ANSI calls spell badly, and one the copy uses itself.
void AddStudentFileNameCases(std::vector<Case>& cases) {
  {
    Case& c = AddCase(cases, "NamesOutsideTheAnsiCodePage");
    c.prepare = [](Bench& b, Installation& inst) {
      // As they come through the ANSI calls: code-page bytes, and UTF-8 bytes
      // of a name that was made on another system.
      for (const std::string name : {"Zo\xEB.txt", "\xD0\x9C\xD0\xB8\xD1\x80.dat"}) {
        b.machine->AddFile(kStudents + "\\" + name, name);
        inst.studentFiles[kStudents + "\\" + name] = name;
      }
    };
    c.expect = [](const Bench& b, const Installation& inst) {
      std::string bytes;
      EXPECT_TRUE(b.machine->ReadFile(inst.backup + "\\Zo\xEB.txt", bytes));
      ExpectRemoved(b, inst.location);
    };
  }
  {
    Case& c = AddCase(cases, "NameTheAnsiCallsCannotSpell");
    c.prepare = [](Bench& b, Installation& inst) {
      // The ANSI search reports such a name with "?" in it; copying by that
      // name finds nothing (123).
      b.machine->AddFile(kStudents + "\\class1\\unicode-name.dat", "unicode");
      inst.studentFiles[kStudents + "\\class1\\unicode-name.dat"] = "unicode";
      b.machine->InjectFault({SimMachine::Call::CopyOneFile, "unicode-name", 0, winerr::kInvalidName});
    };
    c.expect = [](const Bench& b, const Installation&) { ExpectAbandoned(b); };
  }
  {
    Case& c = AddCase(cases, "StudentFileUnderTheCopysTemporaryName");
    c.prepare = [](Bench& b, Installation& inst) {
      // A copy cut short by an earlier run could pass for it at the top of the backup.
      const std::string path = kStudents + "\\rmlc~cpy.tmp";
      b.machine->AddFile(path, "a student's own file");
      inst.studentFiles[path] = "a student's own file";
    };
    c.expect = [](const Bench& b, const Installation&) { ExpectAbandoned(b); };
  }
  {
    Case& c = AddCase(cases, "FullwidthTwinOfAStudentFile");
    c.prepare = [](Bench& b, Installation& inst) {
      // The ANSI search names both "a.txt"; the second copy meets the first.
      b.machine->AddFile(kStudents + "\\class1\\a.txt", "plain");
      inst.studentFiles[kStudents + "\\class1\\a.txt"] = "plain";
      b.machine->AddFileNamedInUtf8(kStudents + "\\class1", u8"\uFF41.txt", "fullwidth");
    };
    c.expect = [](const Bench& b, const Installation&) {
      ExpectAbandoned(b);
      const std::vector<std::string> left = b.machine->ListTree(kStudents);
      EXPECT_NE(std::find(left.begin(), left.end(), kStudents + "\\class1\\" + u8"\uFF41.txt"),
                left.end());
    };
  }
}

// Links among the student data, files with every special attribute, and
// files held open while the copy or its rollback runs.
void AddSpecialStudentFileCases(std::vector<Case>& cases) {
  for (const char* target : {"C:\\windows\\system32", "C:\\Program Files\\Marlo Coach"}) {
    const bool loop = std::string(target) == kLocation;
    Case& c = AddCase(cases, loop ? "LinkLoopInStudents" : "LinkToSystem32InStudents");
    c.prepare = [target](Bench& b, Installation&) {
      b.machine->AddFile("C:\\windows\\system32\\kernel32.dll", "system");
      b.machine->AddFolderLink(kStudents + "\\class1\\linked", target);
    };
    c.expect = [](const Bench& b, const Installation&) {
      ExpectAbandoned(b);
      EXPECT_FALSE(b.machine->Exists(scenario::kBackup));
    };
  }
  {
    Case& c = AddCase(cases, "DotNamedReadOnlyHiddenSystemFiles");
    c.prepare = [](Bench& b, Installation& inst) {
      AddSystemFile(b, inst);
      b.machine->AddFile(kStudents + "\\class1\\rmlc~cpy.tmp", "below the top");
      inst.studentFiles[kStudents + "\\class1\\rmlc~cpy.tmp"] = "below the top";
    };
    c.expect = [](const Bench& b, const Installation& inst) {
      for (const char* name : {"\\.profile", "\\.cache\\state.bin", "\\class1\\bob.dat",
                               "\\class1\\rmlc~cpy.tmp", "\\class2\\deep\\notes.txt",
                               "\\class2\\system.dat"}) {
        std::string bytes;
        EXPECT_TRUE(b.machine->ReadFile(inst.backup + name, bytes)) << name;
      }
      ExpectRemoved(b, inst.location);
    };
  }
  {
    Case& c = AddCase(cases, "HeldOpenStudentFileRollsBackSpecialFiles");
    c.prepare = [](Bench& b, Installation& inst) {
      AddSystemFile(b, inst);
      b.machine->HoldOpen(kStudents + "\\roster.txt");  // enumerated last
    };
    c.expect = [](const Bench& b, const Installation& inst) {
      ExpectAbandoned(b);
      EXPECT_FALSE(b.machine->Exists(inst.backup));
      EXPECT_FALSE(b.ui.AnyBoxContains("Could not delete"));
    };
  }
  {
    Case& c = AddCase(cases, "HeldOpenFileInTheRollback");
    c.prepare = [](Bench& b, Installation&) {
      b.machine->HoldOpen(kStudents + "\\roster.txt");
      b.machine->HoldOpen(scenario::kStaging + "\\class1\\alice.dat");
    };
    c.expect = [](const Bench& b, const Installation&) {
      ExpectAbandoned(b);
      EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete file: " + scenario::kStaging));
    };
  }
}

// Shortcuts that are held open, read-only, or a folder of a shortcut's name.
void AddShortcutFileCases(std::vector<Case>& cases) {
  {
    Case& c = AddCase(cases, "HeldOpenShortcut");
    c.prepare = [](Bench& b, Installation&) {
      b.machine->HoldOpen(kCommonDesktop + "\\Marlo Coach Administration.lnk");
    };
    c.expect = [](const Bench& b, const Installation&) {
      // The table names it twice, so it is tried and reported twice.
      EXPECT_EQ(CountLines(b, "File: " + kCommonDesktop + "\\Marlo Coach Administration.lnk"), 2u);
    };
  }
  {
    Case& c = AddCase(cases, "ReadOnlyShortcut");
    c.prepare = [](Bench& b, Installation& inst) {
      const std::string path = kUserDesktop + "\\Marlo Coach Admin.lnk";
      b.machine->AddFile(path, "shortcut", kAttrReadOnly);
      inst.shortcuts.push_back(path);
    };
    c.expect = [](const Bench& b, const Installation&) {
      EXPECT_EQ(CountLines(b, "File: " + kUserDesktop + "\\Marlo Coach Admin.lnk"), 1u);
    };
  }
  {
    Case& c = AddCase(cases, "FolderNamedLikeAShortcut");
    c.prepare = [](Bench& b, Installation&) {
      b.machine->AddFile(kUserDesktop + "\\Marlo Coach User's Guide.lnk\\mine.txt", "not a shortcut");
    };
    c.expect = [](const Bench& b, const Installation&) {
      EXPECT_EQ(CountLines(b, "File: " + kUserDesktop + "\\Marlo Coach User's Guide.lnk"), 1u);
    };
  }
}

// The Students folder very deep, very large, empty, missing, or a file.
void AddStudentsFolderCases(std::vector<Case>& cases) {
  {
    Case& c = AddCase(cases, "Tree200FoldersDeep");
    c.sweep = false;
    c.prepare = [](Bench& b, Installation& inst) {
      std::string path = kStudents;
      for (int i = 0; i < 200; ++i) path += "\\d" + std::to_string(i);
      b.machine->AddFile(path + "\\leaf.txt", "at the bottom");
      inst.studentFiles[path + "\\leaf.txt"] = "at the bottom";
    };
    // Deeper than the ANSI calls reach: the backup stops at the limit and is
    // rolled back, and nothing is deleted.
    c.expect = [](const Bench& b, const Installation&) { ExpectAbandoned(b); };
  }
  {
    Case& c = AddCase(cases, "FiftyThousandFiles");
    c.sweep = false;
    c.prepare = [](Bench& b, Installation& inst) {
      for (int folder = 0; folder < 100; ++folder)
        for (int file = 0; file < 500; ++file) {
          const std::string path = kStudents + "\\many\\c" + std::to_string(folder) + "\\s" +
                                   std::to_string(file) + ".dat";
          const std::string bytes = std::to_string(folder * 1000 + file);
          b.machine->AddFile(path, bytes);
          inst.studentFiles[path] = bytes;
        }
    };
    c.expect = [](const Bench& b, const Installation& inst) { ExpectRemoved(b, inst.location); };
  }
  {
    Case& c = AddCase(cases, "EmptyStudentsFolder");
    c.prepare = [](Bench& b, Installation& inst) { EmptyFolder(b, inst, kStudents); };
    c.expect = [](const Bench& b, const Installation& inst) {
      EXPECT_TRUE(b.machine->IsFolder(inst.backup));
      ExpectRemoved(b, inst.location);
    };
  }
  {
    Case& c = AddCase(cases, "NoStudentsFolderBesideABackupLookalike");
    c.prepare = [](Bench& b, Installation& inst) { RemoveStudentsFolder(b, inst); };
    c.expect = [](const Bench& b, const Installation& inst) {
      ExpectAbandoned(b);
      EXPECT_FALSE(b.machine->Exists(inst.backup));
    };
  }
  {
    Case& c = AddCase(cases, "StudentsIsAFile");
    c.prepare = [](Bench& b, Installation& inst) {
      RemoveStudentsFolder(b, inst);
      b.machine->AddFile(kStudents, "a file, not a folder");
    };
    c.expect = [](const Bench& b, const Installation&) { ExpectAbandoned(b); };
  }
}

// A backup folder that is there before the run: a file, an earlier backup,
// a folder where a student file goes.
void AddExistingBackupCases(std::vector<Case>& cases) {
  {
    Case& c = AddCase(cases, "BackupNameTakenByAFile");
    c.prepare = [](Bench& b, Installation& inst) { b.machine->AddFile(inst.backup, "a file"); };
    c.expect = [](const Bench& b, const Installation& inst) {
      ExpectAbandoned(b);
      std::string bytes;
      EXPECT_TRUE(b.machine->ReadFile(inst.backup, bytes) && bytes == "a file");
    };
  }
  {
    Case& c = AddCase(cases, "BackupFromAnEarlierRun");
    c.prepare = [](Bench& b, Installation& inst) {
      b.machine->AddFile(inst.backup + "\\roster.txt", "last year's roster");
      b.machine->AddFile(inst.backup + "\\kept.txt", "kept");
      b.machine->AddFile(inst.backup + "\\LONGNA~1.TXT", "earlier");
      b.machine->AddFile(kStudents + "\\LONGNA~1.TXT", "now");
      inst.studentFiles[kStudents + "\\LONGNA~1.TXT"] = "now";
      b.machine->AddFile(scenario::kStaging + "\\stale.txt", "stale");
    };
    c.expect = [](const Bench& b, const Installation& inst) {
      std::string bytes;
      EXPECT_TRUE(b.machine->ReadFile(inst.backup + "\\roster.txt", bytes));
      EXPECT_EQ(bytes, "last year's roster");
      ExpectRemoved(b, inst.location);
    };
  }
  {
    Case& c = AddCase(cases, "BackupHoldsAFolderWhereAStudentFileGoes");
    c.prepare = [](Bench& b, Installation& inst) {
      b.machine->AddFile(inst.backup + "\\roster.txt\\old.txt", "old");
    };
    c.expect = [](const Bench& b, const Installation&) { ExpectAbandoned(b); };
  }
}

// Product folders that are links: what they lead to is someone else's.
// Read-only shortcuts in a program folder that went whole are gone too.
void AddProductFolderLinkCases(std::vector<Case>& cases) {
  for (bool linked : {true, false}) {
    Case& c = AddCase(cases, linked ? "ProductFoldersThatAreLinks"
                                    : "ReadOnlyShortcutsInRecycledProgramFolders");
    c.prepare = [linked](Bench& b, Installation& inst) {
      const std::string programs = scenario::kUserStartMenu + std::string(texts::kProgramFolderSuffix);
      for (const std::string& folder : {std::string("C:\\MLC Students"), programs}) {
        if (!linked) {
          b.machine->AddFile(folder + "\\Uninstall.lnk", "shortcut", kAttrReadOnly);
          inst.shortcuts.push_back(folder + "\\Uninstall.lnk");
          continue;
        }
        EmptyFolder(b, inst, folder);
        b.machine->RemoveDir(folder);
        b.machine->AddFile(folder + " Target\\teacher.doc", "teacher's", kAttrReadOnly | kAttrHidden);
        b.machine->AddFolderLink(folder, folder + " Target");
      }
    };
    c.expect = [linked](const Bench& b, const Installation&) {
      const std::string programs = scenario::kUserStartMenu + std::string(texts::kProgramFolderSuffix);
      EXPECT_EQ(ReportsFolder(b, "C:\\MLC Students") && ReportsFolder(b, programs), linked);
      EXPECT_EQ(AnyLineStartsWith(b, "File: ") || !b.ui.AnyBoxContains(texts::kSuccess), linked);
    };
  }
}

// Shell folders the system does not name, and what it says of the user and
// of its version.
void AddSystemCases(std::vector<Case>& cases) {
  {
    Case& c = AddCase(cases, "UserDesktopUnavailable");
    c.prepare = [](Bench& b, Installation&) { b.machine->SetSpecialFolder(csidl::kDesktopDirectory, ""); };
    c.shortcutsMayBeUnknown = true;
    c.expect = [](const Bench& b, const Installation&) {
      ExpectAbandoned(b);  // never a backup in a drive root
      EXPECT_FALSE(b.machine->Exists(std::string("C:\\") + texts::kBackupName));
      EXPECT_FALSE(b.machine->Exists(std::string("\\") + texts::kBackupName));
    };
  }
  const int others[] = {csidl::kCommonDesktopDirectory, csidl::kCommonStartMenu, csidl::kStartMenu};
  const char* names[] = {"CommonDesktop", "CommonStartMenu", "UserStartMenu"};
  for (int i = 0; i < 3; ++i) {
    Case& c = AddCase(cases, std::string(names[i]) + "Unavailable");
    const int folder = others[i];
    c.prepare = [folder](Bench& b, Installation&) { b.machine->SetSpecialFolder(folder, ""); };
    c.shortcutsMayBeUnknown = true;
    c.expect = [](const Bench& b, const Installation& inst) { ExpectRemoved(b, inst.location); };
  }
  {
    Case& c = AddCase(cases, "AllShellFoldersUnavailableNoSave");
    c.prepare = [](Bench& b, Installation&) {
      for (int folder : {csidl::kCommonDesktopDirectory, csidl::kDesktopDirectory,
                         csidl::kCommonStartMenu, csidl::kStartMenu})
        b.machine->SetSpecialFolder(folder, "");
      b.state.m_saveStudentData = false;
    };
    c.shortcutsMayBeUnknown = true;
    c.expect = [](const Bench& b, const Installation&) {
      EXPECT_TRUE(b.machine->Exists(kUserDesktop + "\\Marlo Coach Students.lnk"));
    };
  }
  for (std::size_t length : {0u, 1023u, 1024u}) {
    Case& c = AddCase(cases, "UserNameOf" + std::to_string(length) + "Chars");
    c.prepare = [length](Bench& b, Installation& inst) {
      b.machine->SetUserName(Repeat('u', length));
      RecordSystemInfo(*b.machine, b.state);
      ForgetDerivedShortcuts(inst);  // formed from another name now
    };
    c.expect = [length](const Bench& b, const Installation&) {
      // A name that leaves no room for its NUL is not read at all.
      EXPECT_EQ(b.state.m_userName, length < 1024 ? Repeat('u', length) : std::string());
      EXPECT_TRUE(b.machine->Exists("C:\\tech\\Desktop\\Marlo Coach Videos.lnk"));
    };
  }
  {
    Case& c = AddCase(cases, "VersionQueryFails");
    c.prepare = [](Bench& b, Installation& inst) {
      b.machine->InjectFault({SimMachine::Call::GetOsVersion, "", 0, winerr::kInvalidParameter});
      RecordSystemInfo(*b.machine, b.state);
      ForgetDerivedShortcuts(inst);  // below version 5 they are never formed
    };
    c.expect = [](const Bench& b, const Installation& inst) {
      EXPECT_EQ(b.state.m_osMajor, 0);
      EXPECT_TRUE(b.state.m_userName.empty());
      EXPECT_TRUE(b.machine->Exists("C:\\tech\\Desktop\\Marlo Coach Videos.lnk"));
      ExpectRemoved(b, inst.location);
    };
  }
}

// The user's desktop under a name the code page cannot spell, beside a
// folder that its best-fit spelling names: reached by its short path, or
// without short names left alone and reported, never "Success!".
void AddUnspellableDesktopCases(std::vector<Case>& cases) {
  for (bool shortNames : {true, false}) {
    Case& c = AddCase(cases, shortNames ? "DesktopReachedByItsShortPath" : "DesktopNoSpellingReaches");
    c.prepare = [shortNames](Bench& b, Installation& inst) {
      if (!shortNames) b.machine->TurnOffShortNames();
      b.machine->AddFile("C:\\users\\tech\\Lucja\\Marlo Coach Videos.lnk", "another's");
      const std::string real = u8"C:\\users\\tech\\\u0141ucja";
      b.machine->AddFileNamedInUtf8("C:\\users\\tech", u8"\u0141ucja", "", true);
      b.machine->SetSpecialFolderInUtf8(csidl::kDesktopDirectory, real);
      Forget(inst.shortcuts, kUserDesktop);  // no longer the shell's
      std::string spelt;
      if (b.machine->SpellInAnsi(real, spelt) == AnsiSpelling::Short) {
        b.machine->AddFile(spelt + "\\Marlo Coach Videos.lnk", "shortcut");
        inst.shortcuts.push_back(real + "\\Marlo Coach Videos.lnk");
        inst.backup = real + "\\" + texts::kBackupName;
      }
      b.state.m_saveStudentData = shortNames;
    };
    // The run names what it leaves by the short name, which the promise
    // check cannot tell from the real one: the shortcut is checked here.
    c.shortcutsMayBeUnknown = true;
    c.expect = [shortNames](const Bench& b, const Installation&) {
      EXPECT_EQ(b.ui.AnyBoxContains(texts::kSuccess), shortNames);
      EXPECT_EQ(ReportsFolder(b, "C:\\users\\tech\\Lucja"), !shortNames);
      EXPECT_FALSE(b.machine->Exists(u8"C:\\users\\tech\\\u0141ucja\\Marlo Coach Videos.lnk"));
    };
  }
}

void AddRegistryCases(std::vector<Case>& cases) {
  {
    Case& c = AddCase(cases, "ProductSubkeyNameLongerThanTheBuffer");
    c.prepare = [](Bench& b, Installation& inst) {
      const std::string key = kProduct + "\\" + Repeat('L', 1100);
      b.machine->AddKey(kHkeyLocalMachine, key);
      inst.productKeys.push_back(key);
    };
    c.expect = [](const Bench& b, const Installation&) {
      EXPECT_TRUE(AnyLineStartsWith(b, kProductSubkeyLine));
      EXPECT_FALSE(b.machine->ValueExists(kHkeyLocalMachine, kProduct, "InstallPath"));
    };
  }
  // Key names run to 255 characters, which fill the 256-character name
  // buffer with their NUL; a longer name (only the simulation has one) does
  // not fit, and its entry stays.
  for (std::size_t length : {255u, 300u}) {
    const bool fits = length < 256;
    Case& c = AddCase(cases, fits ? "UninstallSubkeyNameOf255Chars"
                                  : "UninstallSubkeyNameLongerThanTheBuffer");
    c.sweep = !fits;
    c.prepare = [length](Bench& b, Installation&) {
      b.machine->AddKey(kHkeyLocalMachine, kUninstall + "\\MarloCoach\\" + Repeat('N', length));
    };
    c.expect = [fits](const Bench& b, const Installation&) {
      EXPECT_EQ(CountLines(b, kUninstallLine + "MarloCoach"), fits ? 0u : 1u);
      EXPECT_EQ(b.machine->KeyExists(kHkeyLocalMachine, kUninstall + "\\MarloCoach"), !fits);
      EXPECT_FALSE(b.machine->KeyExists(kHkeyLocalMachine, kUninstall + "\\Marlo Coach"));
    };
  }
  {
    Case& c = AddCase(cases, "ProductSubkeyWithChildren");
    c.prepare = [](Bench& b, Installation& inst) {
      b.machine->AddKey(kHkeyLocalMachine, kProduct + "\\Settings\\Window");
      inst.productKeys.push_back(kProduct + "\\Settings\\Window");
    };
    c.expect = [](const Bench& b, const Installation&) {
      EXPECT_EQ(CountLines(b, std::string(kProductSubkeyLine) + "Settings"), 1u);
      EXPECT_FALSE(b.machine->ValueExists(kHkeyLocalMachine, kProduct, "InstallPath"));
      EXPECT_FALSE(b.machine->KeyExists(kHkeyLocalMachine, kUninstall + "\\MarloCoach"));
    };
  }
  const char* denied[] = {"", "Uninstall", "UninstallEntryChild"};
  for (const char* which : denied) {
    const std::string kind = which;
    Case& c = AddCase(cases, "NoFullAccessTo" + (kind.empty() ? std::string("ProductKey") : kind));
    c.prepare = [kind](Bench& b, Installation&) {
      b.machine->DenyFullAccess(kHkeyLocalMachine,
                                kind.empty()           ? kProduct
                                : kind == "Uninstall" ? kUninstall
                                                      : kUninstall + "\\MarloCoach\\Components");
    };
    c.expect = [kind](const Bench& b, const Installation&) {
      if (kind.empty()) {
        EXPECT_TRUE(AnyLineStartsWith(b, kProductSubkeyLine));
        EXPECT_TRUE(AnyLineStartsWith(b, "Registry Value: "));
      } else {
        EXPECT_EQ(CountLines(b, kUninstallLine + "MarloCoach"), 1u);
      }
    };
  }
}

// The locations that must be refused: drive roots, other users' profiles
// (one named with a leading dot, as the system's service profiles are), and
// every special folder of the standard machine and every folder that holds
// one, each once.
std::vector<std::string> ProtectedLocations() {
  std::vector<std::string> folders = {
      "C:", "D:", "C:\\WINDOWS\\System32",  // any case
      "C:\\users\\Other User", "C:\\users\\.NET v4.5"};
  std::set<std::string> seen;
  for (const std::string& folder : folders) seen.insert(ComparablePath(folder));
  const std::unique_ptr<SimMachine> machine = SimMachine::StandardLayout();
  std::vector<std::string> special;
  std::string path;
  for (int csidlFolder = 0; csidlFolder < 0x100; ++csidlFolder)
    if (machine->SpecialFolderPath(csidlFolder, path)) special.push_back(path);
  if (machine->ProfilesDirectory(path)) special.push_back(path);
  for (std::string folder : special) {
    for (; !IsRootPath(folder); folder = ParentFolderOf(folder))
      if (seen.insert(ComparablePath(folder)).second) folders.push_back(folder);
  }
  return folders;
}

void AddProtectedCases(std::vector<Case>& cases) {
  for (const std::string& folder : ProtectedLocations()) {
    for (int backslashes = 0; backslashes <= 2; ++backslashes) {
      std::string location = folder + std::string(backslashes, '\\');
      if (location.back() == ':') continue;  // "C:" alone names the current folder of C:
      Case& c = AddCase(cases, "ProtectedLocation_" + folder + "_" + std::to_string(backslashes));
      c.location = location;
      c.sweep = backslashes == 1 && (location == "C:\\" || location == "C:\\windows\\");
      c.prepare = [](Bench&, Installation& inst) {
        // The run must refuse it and say so: it is no longer the product's.
        auto& f = inst.productFolders;
        f.erase(std::remove_if(f.begin(), f.end(),
                               [&inst](const std::string& p) {
                                 return ComparablePath(p) == ComparablePath(inst.location);
                               }),
                f.end());
      };
      c.expect = [](const Bench& b, const Installation& inst) {
        EXPECT_TRUE(ReportsFolder(b, inst.location));
        EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete: "));
      };
    }
  }
}

// Other spellings of protected folders: their 8.3 names. Each is refused
// like the folder itself. (Device paths are in the engine's own tests: their
// students folder, "\MLC Students", is one this check cannot compare.)
void AddProtectedSpellingCases(std::vector<Case>& cases) {
  const char* const spellings[][2] = {
      {"C:\\PROGRA~1", "ShortProgramFiles"},
      {"C:\\PROGRA~1\\COMMON~1", "ShortCommonFiles"},
  };
  for (const auto& spelling : spellings) {
    Case& c = AddCase(cases, std::string("ProtectedSpelling_") + spelling[1]);
    c.location = spelling[0];
    c.sweep = false;
    c.expect = [](const Bench& b, const Installation& inst) {
      EXPECT_TRUE(ReportsFolder(b, inst.location));
      EXPECT_TRUE(b.ui.AnyBoxContains("Could not delete: " + inst.location));
      EXPECT_TRUE(b.machine->Exists("C:\\Program Files\\Common Files"));
      EXPECT_TRUE(b.machine->Exists("C:\\windows\\system32"));
    };
  }
}

// The product's folders on D: are no longer the run's to remove.
void KeepOnDriveD(Installation& inst) {
  auto& f = inst.productFolders;
  f.erase(std::remove_if(f.begin(), f.end(),
                         [](const std::string& p) { return p.rfind("D:", 0) == 0; }),
          f.end());
}

// Drives where the shell cannot recycle, or that cannot answer at all.
void AddDriveCases(std::vector<Case>& cases) {
  const char kOtherDrive[] = "D:\\Apps\\Marlo Coach";
  {
    Case& c = AddCase(cases, "LocationOnARemovableDrive");
    c.location = kOtherDrive;
    c.prepare = [](Bench& b, Installation& inst) {
      b.machine->SetDriveType('D', 2);  // DRIVE_REMOVABLE: no Recycle Bin
      KeepOnDriveD(inst);               // nothing there may go
    };
    c.expect = [](const Bench& b, const Installation& inst) {
      EXPECT_TRUE(ReportsFolder(b, "D:\\MLC Students"));
      EXPECT_TRUE(ReportsFolder(b, inst.location));
      EXPECT_EQ(b.machine->PermanentlyDeletedCount(), 0u);
    };
  }
  {
    Case& c = AddCase(cases, "LocationOnAnUnreachableNetworkDrive");
    c.location = kOtherDrive;
    c.prepare = [](Bench& b, Installation& inst) {
      b.state.m_saveStudentData = false;
      b.machine->InjectFault({std::nullopt, "D:\\", 0, 53});  // ERROR_BAD_NETPATH
      KeepOnDriveD(inst);
    };
    c.expect = [](const Bench& b, const Installation& inst) {
      EXPECT_TRUE(ReportsFolder(b, "D:\\MLC Students"));
      EXPECT_TRUE(ReportsFolder(b, inst.location));
      EXPECT_FALSE(b.ui.AnyBoxContains(texts::kSuccess));
    };
  }
}

// ProgramFilesDir, the Program Files folder of 32-bit programs, where the
// setup put its cache (`folder`) besides or instead of the fixed path.
void AddProgramFilesCases(std::vector<Case>& cases) {
  const std::string x86 = "C:\\Program Files (x86)", fixed = texts::kInstallerCache;
  struct Row { const char* name; std::string value, folder; bool fixedToo, link; };
  const Row rows[] = {
      {"Of64BitWindows", x86 + '\0', x86, false, false},
      {"Localized", std::string("C:\\Programme\\\0\0", 15), "C:\\Programme", false, false},
      {"Missing", "", "", true, false},
      {"BesideTheFixedOne", x86, x86, true, false},
      {"LeadingToAProtectedFolder", "C:\\Programs", "C:\\Programs", true, true},
      {"TooLongForTheCache", PathOfLength("C:\\", 200, ""), "", true, false}};
  for (const Row& row : rows) {
    const std::string cache = row.folder.empty() ? "" : row.folder + texts::kInstallerCacheTail;
    Case& c = AddCase(cases, std::string("ProgramFilesDir") + row.name);
    c.sweep = !row.link;  // the guard knows a link by identity, which one failing call takes away
    c.prepare = [row, cache, fixed](Bench& b, Installation& inst) {
      b.machine->LimitPathLength(true);
      b.machine->SetValue(kHkeyLocalMachine, texts::kCurrentVersionKey, "ProgramFilesDir", row.value);
      if (row.value.empty())
        b.machine->InjectFault({SimMachine::Call::QueryValue, "ProgramFilesDir", 0, 2});
      if (!row.fixedToo) b.machine->RemoveFile(fixed + "\\setup.ini");
      if (!row.fixedToo) b.machine->RemoveDir(fixed);
      if (cache.empty()) return;
      b.machine->SetSpecialFolder(csidl::kProgramFiles, row.folder);  // the shell's name for it
      if (row.link) b.machine->AddFolderLink(cache, "C:\\windows");
      else b.machine->AddFile(cache + "\\setup.ini", "[setup]");
      if (!row.link) inst.productFolders.push_back(cache);
    };
    c.expect = [row, cache](const Bench& b, const Installation&) {
      EXPECT_EQ(b.state.m_failures, std::vector<std::string>(row.link, "Folder: " + cache));
    };
  }
}

// Another program's brief hold: waited out within the call's patience, failing as at once past
// it or on a target that is there; a run's waiting stops at 60 s. No "Could not delete" box.
void AddHoldCases(std::vector<Case>& cases) {
  using Call = SimMachine::Call;
  using Fault = SimMachine::Fault;
  const std::string alice = "\\class1\\alice.dat", admin = kCommonDesktop + "\\MarloCoach Admin.lnk";
  const std::string temporary = scenario::kBackup + "\\" + texts::kCopyTemporaryName;
  struct Row {
    const char* name;
    std::string held;  // by another program, as `hold` says
    SimMachine::Hold hold;
    bool earlier, leftover;  // a backup of an earlier run; a temporary copy an ended run left in it
    std::optional<Fault> fault;
    std::uint32_t waits;  // simulated milliseconds in all, at most 250 more
    bool abandoned;
  };
  const Row rows[] = {
      {"StagedRenameHeld20s", scenario::kStaging + alice, {20000}, false, false, {}, 20000, false},
      {"StagedRenameHeldForGood", scenario::kStaging + alice, {}, false, false, {}, 30000, true},
      {"TemporaryCopyHeld3s", temporary, {3000}, true, false, {}, 3000, false},
      {"LeftoverTemporaryHeldForGood", temporary, {}, true, true, {}, 10000, true},
      {"ShortcutHeld3s", admin, {3000}, false, false, {}, 3000, false},
      {"ShortcutDeletedButStaying", admin, {0, true}, false, false, {}, 10000, false},
      {"StagedRenameOntoABackup", "", {}, true, false, Fault{Call::FindFirst, "Saved", 1, 2}, 0, true},
      {"RefusedDeletions", "", {}, false, false, Fault{Call::RemoveFile, "Desktop\\"}, 60000, false},
  };
  for (const Row& row : rows) {
    Case& c = AddCase(cases, std::string("Hold_") + row.name);
    c.sweep = false;
    c.prepare = [row, temporary](Bench& b, Installation&) {
      if (row.earlier) b.machine->AddFolder(scenario::kBackup);
      if (row.leftover) b.machine->AddFile(temporary, "cut short");
      if (!row.held.empty()) b.machine->HoldBriefly(row.held, row.hold);
      if (row.fault) b.machine->InjectFault(*row.fault);
    };
    c.expect = [row](const Bench& b, const Installation&) {
      EXPECT_LE(b.machine->TickCount() - row.waits, 250u) << b.machine->TickCount();
      EXPECT_EQ(b.ui.AnyBoxContains(kCopyFailed), row.abandoned);
      EXPECT_FALSE(b.ui.AnyBoxContains("Could not delete"));
    };
  }
}

std::vector<Case> MakeCases() {
  std::vector<Case> cases;
  AddPathCases(cases);
  AddTypedLocationCases(cases);
  AddStudentFileNameCases(cases);
  AddSpecialStudentFileCases(cases);
  AddShortcutFileCases(cases);
  AddStudentsFolderCases(cases);
  AddExistingBackupCases(cases);
  AddProductFolderLinkCases(cases);
  AddSystemCases(cases);
  AddUnspellableDesktopCases(cases);
  AddRegistryCases(cases);
  AddProtectedCases(cases);
  AddProtectedSpellingCases(cases);
  AddDriveCases(cases);
  AddProgramFilesCases(cases);
  AddHoldCases(cases);
  return cases;
}

}  // namespace

const std::vector<Case>& RunCases() {
  static const std::vector<Case> cases = MakeCases();
  return cases;
}

void Prepare(const Case& c, Prepared& p) { p.installation = PrepareOn(c, p.bench); }

scenario::Installation PrepareOn(const Case& c, Bench& bench) {
  bench.machine->AddDrive('D');
  scenario::Installation installation = scenario::SeedSimulatedInstallation(bench, c.location);
  // As if the folder had been found, browsed to or typed and confirmed.
  bench.state.m_location = c.location;
  if (c.prepare) c.prepare(bench, installation);
  scenario::RecordBaseline(bench, installation);
  return installation;
}

std::string PathOfLength(const std::string& front, std::size_t length, const std::string& back) {
  std::string path = front;
  while (path.size() + back.size() < length) {
    std::size_t room = length - path.size() - back.size();
    if (path.back() != '\\' && room >= 2) {
      path += '\\';
      --room;
    }
    path += std::string(std::min<std::size_t>(40, room), 'p');
  }
  return path + back;
}

bool ReportsFolder(const Bench& bench, const std::string& folder) {
  for (const std::string& line : bench.state.m_failures)
    if (line.rfind("Folder: ", 0) == 0 && ComparablePath(line.substr(8)) == ComparablePath(folder))
      return true;
  return false;
}

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name;
  for (char ch : info.param.name)
    name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
}

}  // namespace catalogue
