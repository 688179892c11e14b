// What the journeys look at in the machine after (or while) the program
// runs: the Recycle Bin, the registry, and a few Wine-specific switches.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace check {

// --- Recycle Bin -----------------------------------------------------------
// Wine recycles into $XDG_DATA_HOME/Trash: files/<name> holds the item and
// info/<name>.trashinfo its original Unix path. The test prefix shows that
// folder as T:; without T: it is reached through XDG_DATA_HOME.
struct TrashItem {
  std::string name;          // under files\ of the trash folder
  std::string originalPath;  // the Unix path it came from
};
std::string TrashFolder();  // Windows path, empty when there is none
std::vector<TrashItem> TrashItems();
bool EmptyTrash();
// The item that came from `windowsPath`; false when none did.
bool FindInTrash(const std::string& windowsPath, TrashItem& item);

// The Unix path behind a Windows path (Wine only; empty elsewhere).
std::string UnixPath(const std::string& windowsPath);
// A Windows path for a Unix path (Wine only; the input itself elsewhere).
std::string WindowsPath(const std::string& unixPath);

// --- Registry (HKEY_LOCAL_MACHINE unless said otherwise) --------------------
bool KeyExists(const std::string& path);
bool ValueExists(const std::string& path, const std::string& name);
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
