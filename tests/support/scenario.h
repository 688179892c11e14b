// A realistic installation on the simulated machine, and the checks that a
// removal run must pass on it whatever goes wrong on the way.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "location/install_location.h"
#include "removal/uninstall_engine.h"
#include "shared/texts.h"
#include "tests/support/engine_units.h"
#include "tests/support/fake_run_ui.h"
#include "tests/support/sim_machine.h"

namespace scenario {

constexpr const char* kLocation = texts::kDefaultFolder;
constexpr char kUserDesktop[] = "C:\\users\\tech\\Desktop";
constexpr char kCommonDesktop[] = "C:\\users\\Public\\Desktop";
constexpr char kCommonStartMenu[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
constexpr char kUserStartMenu[] = "C:\\users\\tech\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
inline const std::string kBackup = std::string(kUserDesktop) + "\\" + texts::kBackupName;
inline const std::string kStaging = std::string(kUserDesktop) + "\\" + texts::kBackupStagingName;
inline const std::string kStudents = std::string(kLocation) + "\\" + texts::kStudentsName;
// The message that ends a run whose student data could not be copied.
constexpr const char* kCopyFailed = texts::kCopyFailed;
constexpr const char* kProductKey = texts::kProductKey;
// As the simulated machine spells it (the program opens it in capitals).
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// One machine, one main window, one engine.
struct Bench {
  Bench() = default;
  // A new process on the machine that another bench used.
  explicit Bench(std::unique_ptr<SimMachine> used) : machine(std::move(used)) {}
  std::unique_ptr<SimMachine> machine = SimMachine::StandardLayout();
  FakeRunUi ui;
  UninstallState state;
  UninstallEngine engine{*machine, ui, state};
  EngineUnits units{*machine, ui};  // the steps, for calls one by one
};

// Everything on the machine before a run: every file and folder (comparable
// path -> contents) and every registry key, so that the check afterwards can
// tell what the run changed.
struct Baseline {
  struct Entry {
    bool folder = false;
    std::string bytes;
    std::uint32_t attributes = 0;
    bool operator==(const Entry& other) const {
      return folder == other.folder && bytes == other.bytes && attributes == other.attributes;
    }
  };
  bool taken = false;
  std::map<std::string, Entry> files;
  std::set<std::string> keys;  // "hklm\..." or "hkcu\...", lower case
};

// What a run may remove and what it must keep.
struct Installation {
  std::string location = kLocation;  // the installation folder the run is given
  std::string backup = kBackup;      // where step 1 puts the student data
  // Student data: original path -> bytes. Must end in place, in the backup
  // or in the Recycle Bin.
  std::map<std::string, std::string> studentFiles;
  // Product folders and shortcut files the run removes.
  std::vector<std::string> productFolders;
  std::vector<std::string> shortcuts;  // files, and program folders of the Start menus
  // Registry keys (HKLM paths) the run removes; the InstallPath value too.
  std::vector<std::string> productKeys;
  std::vector<std::string> uninstallEntries;
  // Files and keys that are not the product's and must survive.
  std::vector<std::string> foreignFiles;
  std::vector<std::string> foreignKeys;
  // Values (HKLM key, value name) that are not the product's and must survive.
  std::vector<std::pair<std::string, std::string>> foreignValues;
  std::string seedError;  // what could not be seeded; empty when all was
  // The machine as it stood before the run; when taken, anything outside the
  // product's folders, shortcuts and keys (and the backup) that differs
  // afterwards is a broken promise.
  Baseline baseline;
};

// Seeds the machine with a complete installation: nested student data with
// read-only, hidden and dot-named entries; the MLC Students and installer
// folders; shortcuts on both desktops, both Start menus and the derived
// per-user folders; the product key with subkeys and the InstallPath value;
// nested uninstall entries; and things that belong to others, some of them
// named like the product ("Marlo Coach Old", "MLC Students.txt", a
// "... Saved Student Data.zip" beside the backup). Then sets the bench's
// state as start-up does (location found, version and user recorded, save
// box ticked) and records the baseline.
Installation SeedSimulatedInstallation(Bench& bench, const std::string& location = kLocation);

// True when some failure line of the run starts with `prefix`.
bool AnyLineStartsWith(const Bench& bench, const std::string& prefix);

// The program's start-up: the location found, version and user recorded,
// the save box ticked.
void StartProgram(Bench& bench);

// Records the machine as it stands now as the installation's baseline; call
// it again after changing a seeded machine.
void RecordBaseline(const Bench& bench, Installation& installation);

// Every way the run broke a promise, as readable lines (empty: all held):
// (a) a student file neither in place, nor in the backup, nor in the Recycle
// Bin with the same bytes; (b) anything not the product's deleted, changed or
// added (the backup excepted); (c) a product item still present that no
// failure line and no error box names.
// `shortcutsMayBeUnknown`: the run could not read a shell folder, so the
// shortcuts in it were out of its sight.
std::vector<std::string> CheckPromises(const Bench& bench, const Installation& installation,
                                       bool shortcutsMayBeUnknown = false);

}  // namespace scenario
