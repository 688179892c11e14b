#include "tests/support/installation_seed.h"

#include "tests/support/ascii_text.h"
#include "tests/support/lookalikes.h"

namespace {

// The folder and whichever of its parents are missing. A path may come
// with a trailing or doubled backslash, as a typed location does.
bool MakeFolders(ITestMachine& machine, const std::string& folder) {
  if (folder.empty() || machine.Exists(folder)) return true;
  const std::string parent = ascii::ParentOf(folder);
  if (parent == folder || !MakeFolders(machine, parent)) return false;
  return folder.back() == '\\' || machine.MakeFolder(folder);  // "a\" is "a"
}

}  // namespace

bool SeedItem(ITestMachine& machine, const SeedLayout::Item& item, std::string& error) {
  bool made = MakeFolders(machine, item.folder ? item.path : ascii::ParentOf(item.path));
  if (made && !item.folder)
    made = machine.PutFile(item.path, item.bytes) &&
           (item.attributes == 0 || machine.SetAttributes(item.path, item.attributes)) &&
           (item.writeTime == 0 || machine.SetWriteTime(item.path, item.writeTime));
  if (!made) error = "could not make " + item.path;
  return made;
}

bool Seed(ITestMachine& machine, const SeedLayout& layout, std::string& error) {
  for (const SeedLayout::Item& item : layout.items)
    if (!SeedItem(machine, item, error)) return false;
  for (const SeedLayout::Key& key : layout.keys) {
    bool made = machine.CreateKey(kHkeyLocalMachine, key.path);
    for (const auto& value : key.values)
      made = made && machine.SetStringValue(kHkeyLocalMachine, key.path, value.first, value.second);
    if (!made) {
      error = "could not make the key " + key.path;
      return false;
    }
  }
  return true;
}

void AddLookalikes(SeedLayout& layout, const NeighbourPlaces& places) {
  layout.AddFile(lookalike::kFile, places.fileBytes);
  if (!places.archiveFolder.empty())
    layout.AddFile(places.archiveFolder + "\\" + lookalike::kBackupArchive, places.fileBytes);
  for (const std::string& desktop : places.desktops)
    layout.AddFile(desktop + "\\" + lookalike::kShortcut, places.shortcutBytes);
  for (const std::string& menu : places.startMenus)
    layout.AddFile(menu + "\\" + lookalike::kProgramFolder + "\\" + lookalike::kShortcut,
                   places.shortcutBytes);
  layout.AddKey(places.uninstallKey + "\\" + lookalike::kUninstallEntry,
                {{"DisplayName", lookalike::kUninstallEntry}});
}
