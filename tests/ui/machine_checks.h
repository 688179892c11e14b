// What the journeys look at in the machine after (or while) the program
// runs: the Recycle Bin, the registry, and a few Wine-specific switches.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/win32_files.h"

namespace check {

// --- Recycle Bin (win32test:: reads it) --------------------------------------
bool EmptyTrash();
// The item that came from `windowsPath`; false when none did.
bool FindInTrash(const std::string& windowsPath, win32test::TrashItem& item);

// --- Registry (HKEY_LOCAL_MACHINE; win32test:: tells whether keys exist) ------
std::vector<std::string> Subkeys(const std::string& path);
// Value names of the key; the unnamed value is "(default)".
std::vector<std::string> ValueNames(const std::string& path);

// Makes Wine report another Windows version to the programs it starts
// ("nt40", "win7"...) until the object goes out of scope.
class WineVersion {
 public:
  explicit WineVersion(const std::string& version);
  ~WineVersion();
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  bool hadValue_ = false;
  std::string previous_;
};

// Makes a folder impossible to delete or rename (the Unix immutable flag)
// until the object goes out of scope. Needs root under Wine.
class ImmutableFolder {
 public:
  explicit ImmutableFolder(const std::string& windowsPath);
  ~ImmutableFolder();
  bool ok() const { return ok_; }

 private:
  std::string windowsPath_;
  std::string unixPath_;
  bool ok_ = false;
};

}  // namespace check
