// Seeding a planned tree on the simulated machine.
#include "bench/tree_gen.h"
#include "tests/support/sim_machine.h"

namespace {

std::string WindowsPath(const std::string& root, const std::string& relative) {
  std::string path = root + "\\" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace

bool WriteTreeToSim(const std::vector<TreeEntry>& plan, SimMachine& machine,
                    const std::string& root, bool withBytes) {
  if (!machine.AddFolder(root)) return false;
  for (const TreeEntry& entry : plan) {
    const std::string path = WindowsPath(root, entry.path);
    const bool added =
        entry.folder ? machine.AddFolder(path)
                     : machine.AddFile(path, withBytes ? FileBytes(entry) : std::string(),
                                       entry.readOnly ? kAttrReadOnly | kAttrArchive : kAttrArchive);
    if (!added) return false;
  }
  return true;
}
