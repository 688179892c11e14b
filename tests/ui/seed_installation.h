// Seeding a product installation into the current (Wine or Windows) machine,
// for the end-to-end journeys and for the demo.
//
// What it creates: the installation folder with MarloCoach.exe, a few program
// files and a nested Students tree (with a read-only, a hidden and a
// dot-named file); the product key with InstallPath, a kept Version value and
// two subkeys; the four uninstall entries (one nested two levels); the
// installer cache folder; C:\MLC Students; the product's shortcuts on both
// desktops and in both Start menus, and in the per-user folders derived from
// them; and unrelated neighbours that a removal must leave alone, the
// look-alikes of tests/support/lookalikes.h among them. The layout is
// described here and laid down by tests/support/installation_seed.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shared/texts.h"
#include "tests/support/lookalikes.h"

namespace seed {

constexpr const char* kDefaultInstallFolder = texts::kDefaultFolder;
constexpr const char* kProductKey = texts::kProductKey;
constexpr const char* kUninstallKey = texts::kUninstallKey;
constexpr const char* kCacheFolder = texts::kInstallerCache;
constexpr const char* kMlcStudentsFolder = "C:\\MLC Students";
constexpr const char* kProgramFolder = texts::kProgramFolderSuffix + 1;  // under a Start menu
constexpr const char* kBackupFolderName = texts::kBackupName;
// Where a large student file goes when asked for, alone in its folder
// (relative to the Students folder).
constexpr const char* kLargeStudentFile = "Class 3A\\Ada 100\\Videos\\Lesson video.avi";

// The product's shortcut names on a desktop, and relative to a Start menu,
// and its uninstall entries (the second one seeded nested): the program's own
// tables.
std::vector<std::string> DesktopShortcuts();
std::vector<std::string> StartMenuShortcuts();
std::vector<std::string> UninstallEntries();

// The folders a removal sweeps for shortcuts, as this machine gives them.
// The derived ones are formed as the program forms them on systems of major
// version 5 and above (three path components dropped, then the user's name
// and "Desktop" or "Start Menu"); they carry no trailing backslash here.
struct ShortcutFolders {
  std::string userName;
  std::string commonDesktop, userDesktop, commonStartMenu, userStartMenu;
  std::vector<std::string> derivedDesktops, derivedStartMenus;  // distinct
};
bool ReadShortcutFolders(ShortcutFolders& out, std::string& error);

// One student file as seeded: path relative to the Students folder, and size.
struct StudentFile {
  std::string relativePath;
  std::uint64_t size = 0;
};

struct SeedOptions {
  std::string installFolder = kDefaultInstallFolder;
  bool productFiles = true;    // MarloCoach.exe and the other program files
  bool studentsFolder = true;  // the Students tree inside the installation
  int classes = 2;             // size of the Students tree
  int studentsPerClass = 2;
  int filesPerStudent = 3;
  std::uint64_t largeFileSize = 0;  // when not 0, kLargeStudentFile of this size
  bool productKey = true;        // the product key with its subkeys...
  bool installPathValue = true;  // ...and its InstallPath value
  bool uninstallEntries = true;
  bool cacheFolder = true;
  bool mlcStudents = true;
  bool shortcuts = true;         // on the shell's desktops and Start menus
  bool derivedShortcuts = true;  // in the derived per-user folders
  bool neighbours = true;
  std::string manifest;  // where to write the student file list; empty: nowhere
};

// Removes everything that seeding with `options` (or with the default
// installation folder) can have made, plus the backup folder on the user's
// desktop, so that the next seeding starts from a clean machine.
bool ResetInstallation(const SeedOptions& options, std::string& error);

// Resets, then seeds. `students` receives the student files as seeded.
bool ResetAndSeedThisMachine(const SeedOptions& options, std::vector<StudentFile>& students,
                             std::string& error);

// The student files under `folder` (relative paths, sizes), in a stable
// order; nothing when the folder is missing.
std::vector<StudentFile> ListFiles(const std::string& folder);

// Lines "<size><TAB><relative path>" in the order given.
std::string FormatManifest(const std::vector<StudentFile>& files);

}  // namespace seed
