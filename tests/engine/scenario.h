// A realistic installation on the simulated machine, and the checks that a
// removal run must pass on it whatever goes wrong on the way.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "removal/uninstall_engine.h"
#include "tests/engine/fake_run_ui.h"
#include "tests/support/sim_machine.h"

namespace scenario {

constexpr char kLocation[] = "C:\\Program Files\\Marlo Coach";
constexpr char kUserDesktop[] = "C:\\users\\tech\\Desktop";
constexpr char kCommonDesktop[] = "C:\\users\\Public\\Desktop";
constexpr char kCommonStartMenu[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
constexpr char kUserStartMenu[] = "C:\\users\\tech\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
constexpr char kBackup[] = "C:\\users\\tech\\Desktop\\Marlo Coach Saved Student Data";
constexpr char kProductKey[] = "Software\\Bellmont Learning Group\\Marlo Coach";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// One machine, one main window, one engine.
struct Bench {
  std::unique_ptr<SimMachine> machine = SimMachine::StandardLayout();
  FakeRunUi ui;
  UninstallState state;
  UninstallEngine engine{*machine, ui, state};
};

// What a run may remove and what it must keep.
struct Installation {
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
};

// Seeds the machine with a complete installation: nested student data with
// read-only, hidden and dot-named entries; the MLC Students and installer
// folders; shortcuts on both desktops, both Start menus and the derived
// per-user folders; the product key with subkeys and the InstallPath value;
// nested uninstall entries; and things that belong to others. Then sets the
// bench's state as start-up does (location found, version and user recorded,
// save box ticked).
Installation SeedInstallation(Bench& bench);

// Every way the run broke a promise, as readable lines (empty: all held).
// `shortcutsMayBeUnknown`: the run could not read a shell folder, so the
// shortcuts in it were out of its sight.
std::vector<std::string> CheckPromises(const Bench& bench, const Installation& installation,
                                       bool shortcutsMayBeUnknown = false);

}  // namespace scenario
