// Seeding a planned tree on the simulated machine.
#include <algorithm>

#include "bench/tree_gen.h"
#include "tests/support/installation_seed.h"
#include "tests/support/sim_machine.h"

bool WriteTreeToSim(const std::vector<TreeEntry>& plan, SimMachine& machine,
                    const std::string& root, bool withBytes) {
  const std::unique_ptr<ITestMachine> seeding = TestMachineOver(machine);
  std::string error;
  if (!SeedItem(*seeding, {root, true, {}, 0, 0}, error)) return false;
  for (const TreeEntry& entry : plan) {
    std::string path = root + "\\" + entry.path;
    std::replace(path.begin(), path.end(), '/', '\\');
    const std::string bytes = withBytes && !entry.folder ? FileBytes(entry) : std::string();
    const std::uint32_t attributes = entry.readOnly ? kAttrReadOnly | kAttrArchive : kAttrArchive;
    if (!SeedItem(*seeding, {path, entry.folder, bytes, attributes, 0}, error)) return false;
  }
  return true;
}
