// Laying an installation down on a test machine. Callers describe what to
// seed as data (a layout); one writer puts it on whichever machine they
// have: the simulated one, or the real one under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_machine.h"

struct SeedLayout {
  // A file or a folder. Items are made in the order given, so that what the
  // machine gives out in turn (8.3 names) comes out the same on every run.
  struct Item {
    std::string path;
    bool folder = false;
    std::string bytes;
    std::uint32_t attributes = 0;  // 0: as the machine makes a new file
    std::uint64_t writeTime = 0;   // FILETIME ticks; 0: as the machine makes it
  };
  // A key under HKEY_LOCAL_MACHINE and the string values set in it.
  struct Key {
    using Values = std::vector<std::pair<std::string, std::string>>;  // name, text
    std::string path;
    Values values;
  };
  std::vector<Item> items;
  std::vector<Key> keys;

  void AddFile(const std::string& path, const std::string& bytes, std::uint32_t attributes = 0,
               std::uint64_t writeTime = 0) {
    items.push_back({path, false, bytes, attributes, writeTime});
  }
  void AddFolder(const std::string& path) { items.push_back({path, true, {}, 0, 0}); }
  void AddKey(const std::string& path, Key::Values values = {}) {
    keys.push_back({path, std::move(values)});
  }
};

// Makes one item, and whichever of its parent folders are missing; an item
// that is already there is written over (a folder is left as it is).
bool SeedItem(ITestMachine& machine, const SeedLayout::Item& item, std::string& error);
// The items in order, then the keys (made with their parents). Stops at the
// first thing that cannot be made and names it in `error`.
bool Seed(ITestMachine& machine, const SeedLayout& layout, std::string& error);

// Where an installation's look-alike neighbours (tests/support/lookalikes.h)
// go, and what their files hold.
struct NeighbourPlaces {
  std::vector<std::string> desktops;    // each gets the look-alike shortcut
  std::vector<std::string> startMenus;  // each gets it in the look-alike program folder
  std::string uninstallKey;             // gets the look-alike entry, with its DisplayName
  std::string archiveFolder;            // when set, the look-alike archive goes in it
  std::string fileBytes;                // the look-alike file and archive
  std::string shortcutBytes;
};
// Adds the look-alike file, archive, shortcuts and uninstall entry.
void AddLookalikes(SeedLayout& layout, const NeighbourPlaces& places);
