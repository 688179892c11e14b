// The bad inputs that Wine can make for real, on the real Windows calls:
// long paths, names outside the ANSI code page, a file held open without
// sharing, read-only, hidden and system files, and protected locations
// however they are spelled.
// Everything happens in the scratch folder of a test machine, made fresh for
// each test and removed after it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/engine_units.h"
#include "tests/support/fake_run_ui.h"
#include "tests/support/test_machine.h"
#include "tests/support/wine_host.h"
#include "win32/win32_services.h"

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool WriteFileW(const std::wstring& path, const std::string& bytes, DWORD attributes = 0) {
  HANDLE file = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok && (attributes == 0 || SetFileAttributesW((L"\\\\?\\" + path).c_str(), attributes));
}

// Reads through the wide calls, so that paths beyond MAX_PATH can be read.
std::string ReadFileA(const std::string& path) {
  HANDLE file = CreateFileW((L"\\\\?\\" + Wide(path)).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[4096];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

bool ExistsW(const std::wstring& path) {
  return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class WineCases : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = machine_->ScratchFolder();
    ASSERT_FALSE(scratch_.empty());
    students_ = scratch_ + "\\Students";
    backup_ = scratch_ + "\\Backup";
    ASSERT_TRUE(machine_->MakeFolder(students_));
    ASSERT_TRUE(machine_->MakeFolder(backup_));
  }

  const std::unique_ptr<ITestMachine> machine_ = MakeTestMachine();  // its end removes the scratch
  Win32Services services_;
  FakeRunUi ui_;
  EngineUnits units_{services_, ui_};
  std::string scratch_, students_, backup_;
};

// A student file whose path fits MAX_PATH below the Students folder but not
// below the backup. Windows refuses the copy, and the backup then fails as a
// whole; Wine copies it. Either way the backup is never silently short.
TEST_F(WineCases, StudentPathTooLongForTheBackupIsCopiedOrFailsTheCopy) {
  const std::string name = std::string(250 - students_.size() - 1, 'n');
  ASSERT_TRUE(WriteFileW(Wide(students_ + "\\" + name), "long"));
  const std::string deepBackup = backup_ + "\\" + std::string(40, 'b');
  ASSERT_TRUE(CreateDirectoryA(deepBackup.c_str(), nullptr));
  if (units_.copy.CopyFolderTree(students_, deepBackup)) {
    EXPECT_EQ(ReadFileA(deepBackup + "\\" + name), "long");
  }
  EXPECT_EQ(ReadFileA(students_ + "\\" + name), "long");
}

// Student data deeper than MAX_PATH cannot even be listed by the ANSI calls:
// the copy fails rather than pass over it.
TEST_F(WineCases, StudentFolderBeyondMaxPathFailsTheCopy) {
  std::wstring deep = Wide(students_);
  for (int i = 0; i < 4; ++i) {
    deep += L"\\" + std::wstring(80, L'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
  }
  ASSERT_TRUE(WriteFileW(deep + L"\\deep.dat", "deep"));
  EXPECT_FALSE(units_.copy.CopyFolderTree(students_, backup_));
  EXPECT_TRUE(ExistsW(deep + L"\\deep.dat"));
}

// A folder path that does not fit the shell's source buffer is refused and
// reported, never cut short.
TEST_F(WineCases, ShellDeletionOfAnOverlongPathIsRefused) {
  std::wstring deep = Wide(scratch_);
  for (int i = 0; i < 3; ++i) {
    deep += L"\\" + std::wstring(90, L'x');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
  }
  const std::string path(deep.begin(), deep.end());
  EXPECT_FALSE(units_.folders.ShellDeleteFolder(0, path));
  EXPECT_TRUE(ui_.AnyBoxContains("Could not delete: " + path));
  EXPECT_TRUE(ExistsW(deep));
}

// A name made outside the ANSI code page (as from the Linux side) reaches
// the ANSI calls with "?" in it: the copy cannot name it and fails.
TEST_F(WineCases, NameOutsideTheAnsiCodePageFailsTheCopy) {
  const std::wstring name = L"\x4E2D\x6587-\x0416.txt";
  ASSERT_TRUE(WriteFileW(Wide(students_) + L"\\" + name, "unicode"));
  ASSERT_TRUE(WriteFileW(Wide(students_) + L"\\plain.txt", "plain"));
  EXPECT_FALSE(units_.copy.CopyFolderTree(students_, backup_));
  EXPECT_TRUE(ExistsW(Wide(students_) + L"\\" + name));
}

// "a.txt" and a fullwidth "ａ.txt": the ANSI search names both "a.txt", and
// the second copy meets the first. That is no earlier backup: the copy fails.
TEST_F(WineCases, FullwidthTwinOfAFileFailsTheCopy) {
  ASSERT_TRUE(WriteFileW(Wide(students_) + L"\\a.txt", "plain"));
  ASSERT_TRUE(WriteFileW(Wide(students_) + L"\\\xFF41.txt", "fullwidth"));
  EXPECT_FALSE(units_.copy.CopyFolderTree(students_, backup_));
  EXPECT_EQ(ReadFileA(students_ + "\\a.txt"), "plain");
  EXPECT_TRUE(ExistsW(Wide(students_) + L"\\\xFF41.txt"));
}

// A link to system32 and a link back to the student folder (a loop): the
// copy enters neither and fails; nothing of theirs reaches the backup.
TEST_F(WineCases, LinkedFoldersAreNeverCopied) {
  char windows[MAX_PATH] = {0};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  ASSERT_TRUE(WriteFileW(Wide(students_ + "\\a.txt"), "a"));
  for (const std::string& target : {std::string(windows) + "\\system32", students_}) {
    SCOPED_TRACE(target);
    const std::string link = students_ + "\\linked";
    ASSERT_TRUE(winehost::MakeFolderLink(link, target));
    EXPECT_FALSE(units_.copy.CopyFolderTree(students_, backup_));
    EXPECT_FALSE(ExistsW(Wide(backup_ + "\\linked")));
    ASSERT_TRUE(winehost::RemoveFolderLink(link));
  }
  EXPECT_TRUE(ExistsW(Wide(std::string(windows) + "\\system32\\kernel32.dll")));
}

// Once a subfolder is gone the rollback's texts carry a doubled separator per
// level; six levels make a 255-character file path a 261-character text.
// The calls get the single-separator form, and everything goes.
TEST_F(WineCases, RollbackDeletesWhatDoubledSeparatorsMakeTooLong) {
  const std::size_t nameLength = (240 - backup_.size()) / 6 - 1;
  std::string folder = backup_;
  for (int level = 0; level < 6; ++level) {
    ASSERT_TRUE(CreateDirectoryA((folder + "\\a-side").c_str(), nullptr));
    ASSERT_TRUE(WriteFileW(Wide(folder + "\\a-side\\x.txt"), "side"));
    folder += "\\" + std::string(nameLength, static_cast<char>('b' + level));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  }
  const std::string deep = folder + "\\" + std::string(254 - folder.size(), 'n');
  ASSERT_EQ(deep.size(), 255u);
  ASSERT_TRUE(WriteFileW(Wide(deep), "deep"));
  EXPECT_TRUE(units_.deletion.DeleteFolderTree(scratch_, "Backup"));
  EXPECT_TRUE(ui_.Boxes().empty());
  EXPECT_FALSE(ExistsW(Wide(backup_)));
}

TEST_F(WineCases, FileHeldOpenWithoutSharingFailsTheCopy) {
  const std::string held = students_ + "\\held.dat";
  ASSERT_TRUE(WriteFileW(Wide(held), "held"));
  HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(units_.copy.CopyFolderTree(students_, backup_));
  CloseHandle(file);
  EXPECT_EQ(ReadFileA(held), "held");
}

// Read-only, hidden, system and dot-named entries are copied, and the
// rollback deletes every one of them and the folder.
TEST_F(WineCases, SpecialFilesAreCopiedAndRolledBack) {
  ASSERT_TRUE(WriteFileW(Wide(students_ + "\\readonly.dat"), "r", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteFileW(Wide(students_ + "\\hidden.dat"), "h", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(WriteFileW(Wide(students_ + "\\system.dat"), "s",
                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryA((students_ + "\\.cache").c_str(), nullptr));
  ASSERT_TRUE(WriteFileW(Wide(students_ + "\\.cache\\.profile"), "dot"));
  ASSERT_TRUE(units_.copy.CopyFolderTree(students_, backup_));
  for (const char* name : {"\\readonly.dat", "\\hidden.dat", "\\system.dat", "\\.cache\\.profile"})
    EXPECT_NE(ReadFileA(backup_ + name), "<missing>") << name;

  EXPECT_TRUE(units_.deletion.DeleteFolderTree(scratch_, "Backup"));
  EXPECT_FALSE(ExistsW(Wide(backup_)));
  EXPECT_EQ(ReadFileA(students_ + "\\system.dat"), "s");  // the originals stay
}

// A sibling whose name begins with the folder's name is never taken for it.
TEST_F(WineCases, RollbackNeverEntersALookalikeSibling) {
  ASSERT_TRUE(WriteFileW(Wide(scratch_ + "\\Saved Data.zip"), "zip"));
  EXPECT_FALSE(units_.deletion.DeleteFolderTree(scratch_, "Saved Data"));
  EXPECT_EQ(ReadFileA(scratch_ + "\\Saved Data.zip"), "zip");
}

// The Windows folder, the user's desktop and a drive root, however written,
// are refused and reported.
TEST_F(WineCases, ProtectedLocationsAreRefused) {
  char windows[MAX_PATH] = {0};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  std::string desktop;
  ASSERT_TRUE(services_.SpecialFolderPath(0x10, desktop));
  for (const std::string& target :
       {std::string(windows), std::string(windows) + "\\\\", desktop + "\\", std::string("C:\\")}) {
    EXPECT_FALSE(units_.folders.ShellDeleteFolder(0, target)) << target;
    EXPECT_TRUE(ui_.AnyBoxContains("Could not delete: " + target)) << target;
  }
  EXPECT_TRUE(ExistsW(Wide(std::string(windows) + "\\system32")));
  EXPECT_TRUE(ExistsW(Wide(desktop)));
}

// Program Files and Common Files by their 8.3 names, through the device
// namespace and through the administrative share: each is the same folder,
// and each is refused and reported, with nothing recycled.
TEST_F(WineCases, OtherSpellingsOfProgramFilesAreRefused) {
  std::string programFiles, commonFiles;
  ASSERT_TRUE(services_.SpecialFolderPath(0x26, programFiles));  // CSIDL_PROGRAM_FILES
  ASSERT_TRUE(services_.SpecialFolderPath(0x2B, commonFiles));   // CSIDL_PROGRAM_FILES_COMMON
  char shortName[MAX_PATH] = {0};
  ASSERT_GT(GetShortPathNameA(programFiles.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_NE(std::string(shortName), programFiles);  // Wine makes one for a long name
  char shortCommon[MAX_PATH] = {0};
  ASSERT_GT(GetShortPathNameA(commonFiles.c_str(), shortCommon, MAX_PATH), 0u);
  for (const std::string& target :
       {std::string(shortName), std::string(shortCommon), "\\\\.\\" + commonFiles,
        "\\\\?\\" + programFiles, "\\\\localhost\\C$" + programFiles.substr(2)}) {
    EXPECT_FALSE(units_.folders.ShellDeleteFolder(0, target)) << target;
    EXPECT_TRUE(ui_.AnyBoxContains("Could not delete: " + target)) << target;
  }
  EXPECT_TRUE(ExistsW(Wide(programFiles)));
  EXPECT_TRUE(ExistsW(Wide(commonFiles)));
}

}  // namespace
