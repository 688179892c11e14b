#include "tests/support/scenario.h"

#include <algorithm>

#include "shared/path_rules.h"
#include "tests/support/installation_seed.h"
#include "tests/support/lookalikes.h"

namespace scenario {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// `inner` is `outer` or lies below it, compared as Windows compares paths.
bool Within(const std::string& inner, const std::string& outer) {
  const std::string a = ComparablePath(inner);
  const std::string b = ComparablePath(outer);
  return StartsWith(a, b) && (a.size() == b.size() || a[b.size()] == '\\');
}

// The paths the run named as not removed, in its failure lines and its
// error boxes.
std::vector<std::string> NamedLeftovers(const Bench& bench) {
  static const char* const kLinePrefixes[] = {texts::kFolderLine, texts::kFileLine};
  static const char* const kBoxPrefixes[] = {texts::kCouldNotDelete, texts::kCouldNotDeleteFile,
                                             texts::kCouldNotDeleteDirectory};
  std::vector<std::string> named;
  for (const std::string& line : bench.state.m_failures)
    for (const char* prefix : kLinePrefixes)
      if (StartsWith(line, prefix)) named.push_back(line.substr(std::string(prefix).size()));
  for (const FakeRunUi::Box& box : bench.ui.Boxes())
    for (const char* prefix : kBoxPrefixes)
      if (StartsWith(box.text, prefix)) named.push_back(box.text.substr(std::string(prefix).size()));
  return named;
}

std::string StudentsOf(const Installation& installation) {
  return WithoutTrailingBackslashes(installation.location) + "\\" + texts::kStudentsName;
}

bool StudentFileKept(const Bench& bench, const Installation& installation,
                     const std::string& path, const std::string& bytes) {
  const std::string students = StudentsOf(installation);
  std::string found;
  if (bench.machine->ReadFile(path, found) && found == bytes) return true;
  if (StartsWith(path, students + "\\") &&
      bench.machine->ReadFile(installation.backup + path.substr(students.size()), found) &&
      found == bytes)
    return true;
  for (const SimMachine::RecycledEntry& entry : bench.machine->Recycled())
    if (!entry.isFolder && ComparablePath(entry.originalPath) == ComparablePath(path) &&
        entry.bytes == bytes)
      return true;
  return false;
}

void ListKeys(const SimMachine& m, RegKey root, const std::string& path,
              const std::string& shown, std::set<std::string>& out) {
  for (const std::string& name : m.SubkeyNames(root, path)) {
    const std::string child = path.empty() ? name : path + "\\" + name;
    const std::string childShown = shown + "\\" + ComparablePath(name);
    out.insert(childShown);
    ListKeys(m, root, child, childShown, out);
  }
}

bool WithinAny(const std::string& path, const std::vector<std::string>& outers) {
  for (const std::string& outer : outers)
    if (!outer.empty() && Within(path, outer)) return true;
  return false;
}

// Promise (b): outside the product's own folders, shortcuts and keys, and
// the backup, the machine is as it was before the run.
void CheckUntouched(const Bench& bench, const Installation& installation,
                    std::vector<std::string>& problems) {
  const SimMachine& m = *bench.machine;
  std::vector<std::string> scope = installation.productFolders;
  scope.insert(scope.end(), installation.shortcuts.begin(), installation.shortcuts.end());
  auto inScope = [&](const std::string& path) { return WithinAny(path, scope); };

  Installation now;
  RecordBaseline(bench, now);
  for (const auto& before : installation.baseline.files) {
    if (inScope(before.first)) continue;
    auto after = now.baseline.files.find(before.first);
    if (after == now.baseline.files.end())
      problems.push_back("deleted, not the product's: " + before.first);
    else if (!(after->second == before.second))
      problems.push_back("changed, not the product's: " + before.first);
  }
  for (const auto& after : now.baseline.files)  // the staging folder may stay if its rollback stops
    if (installation.baseline.files.count(after.first) == 0 &&
        !Within(after.first, installation.backup) && !Within(after.first, kStaging))
      problems.push_back("created outside the backup: " + after.first);

  std::vector<std::string> keyScope;
  for (const std::string& key : installation.productKeys) keyScope.push_back("hklm\\" + key);
  for (const std::string& key : installation.uninstallEntries)
    keyScope.push_back("hklm\\" + key);
  for (const std::string& key : installation.baseline.keys)
    if (!WithinAny(key, keyScope) && now.baseline.keys.count(key) == 0)
      problems.push_back("key deleted, not the product's: " + key);
  for (const std::string& key : now.baseline.keys)
    if (installation.baseline.keys.count(key) == 0) problems.push_back("key created: " + key);
  for (const auto& value : installation.foreignValues)
    if (!m.ValueExists(kHkeyLocalMachine, value.first, value.second))
      problems.push_back("value deleted, not the product's: " + value.first + ", " + value.second);
}

}  // namespace

Installation SeedSimulatedInstallation(Bench& bench, const std::string& location) {
  Installation inst;
  inst.location = location;
  SeedLayout layout;
  const std::string students = StudentsOf(inst);
  const std::string mlcStudents = StudentsFolderFor(location);
  auto studentFile = [&](const std::string& path, const std::string& bytes,
                         std::uint32_t attributes = kAttrArchive) {
    layout.AddFile(path, bytes, attributes, 0x01D0000000000000ull);
    inst.studentFiles[path] = bytes;
  };
  auto shortcut = [&](const std::string& path) {
    layout.AddFile(path, "shortcut");
    inst.shortcuts.push_back(path);
  };

  layout.AddFile(location + "\\MarloCoach.exe", "MZ coach");
  layout.AddFile(location + "\\Coach.dll", "MZ library");
  layout.AddFile(location + "\\Media\\intro.avi", "RIFF");
  studentFile(students + "\\roster.txt", "Ada, Ben, Cy");
  studentFile(students + "\\class1\\alice.dat", "alice progress");
  studentFile(students + "\\class1\\bob.dat", "bob progress", kAttrReadOnly | kAttrArchive);
  studentFile(students + "\\class2\\deep\\notes.txt", "notes", kAttrHidden | kAttrArchive);
  studentFile(students + "\\.profile", "dot-named file");
  studentFile(students + "\\.cache\\state.bin", "dot-named folder");
  layout.AddFolder(students + "\\empty class");
  studentFile(mlcStudents + "\\export\\term1.csv", "term one");
  layout.AddFile(std::string(texts::kInstallerCache) + "\\setup.ini", "[setup]");
  inst.productFolders = {mlcStudents, texts::kInstallerCache, location};

  const std::string common = kCommonDesktop, user = kUserDesktop;
  const std::string commonStart = kCommonStartMenu, userStart = kUserStartMenu;
  shortcut(common + "\\Marlo Coach Administration.lnk");
  shortcut(common + "\\MarloCoach Admin.lnk");
  shortcut(user + "\\Marlo Coach Students.lnk");
  shortcut("C:\\tech\\Desktop\\Marlo Coach Videos.lnk");  // derived desktop
  const std::string commonPrograms = commonStart + texts::kProgramFolderSuffix;
  const std::string userPrograms = userStart + texts::kProgramFolderSuffix;
  // Derived from the common Start menu.
  const std::string derivedPrograms =
      std::string("C:\\ProgramData\\tech\\Start Menu") + texts::kProgramFolderSuffix;
  shortcut(commonPrograms + "\\Marlo Coach Administration.lnk");
  shortcut(commonPrograms + "\\Uninstall.lnk");
  shortcut(commonPrograms + "\\Extra Tools.lnk");
  shortcut(userPrograms + "\\Students Folder.lnk");
  shortcut(derivedPrograms + "\\Marlo Coach Videos.lnk");
  inst.shortcuts.insert(inst.shortcuts.end(), {commonPrograms, userPrograms, derivedPrograms});

  const std::string product = kProductKey, uninstall = kUninstallKey;
  layout.AddKey(product, {{texts::kInstallPathValue, location}});
  layout.AddKey(product + "\\Settings");
  layout.AddKey(product + "\\Licence");
  inst.productKeys = {product + "\\Licence", product + "\\Settings"};
  // The program's first three uninstall entries, the second one nested.
  for (int i = 0; i < 3; ++i)
    inst.uninstallEntries.push_back(uninstall + "\\" + texts::kUninstallEntries[i]);
  layout.AddKey(inst.uninstallEntries[0], {{"DisplayName", "Marlo Coach"}});
  layout.AddKey(inst.uninstallEntries[1] + "\\Components\\Core");
  layout.AddKey(inst.uninstallEntries[1] + "\\Components\\Media");
  layout.AddKey(inst.uninstallEntries[2]);

  // Things that are not the product's.
  inst.foreignFiles = {user + "\\lesson plan.doc", "C:\\Program Files\\Other App\\other.exe",
                       commonStart + "\\Programs\\Other App\\Other.lnk",
                       "C:\\users\\tech\\Documents\\grades.xls"};
  for (const std::string& path : inst.foreignFiles) layout.AddFile(path, "not ours");
  inst.foreignKeys = {uninstall + "\\Other Product", "Software\\Bellmont Learning Group\\Other Title"};
  for (const std::string& key : inst.foreignKeys) layout.AddKey(key);

  // Neighbours named like the product: a run that matches names by prefix,
  // or cuts a path short, would take them along.
  const std::size_t firstNeighbour = layout.items.size();
  layout.AddFile(std::string(lookalike::kFolder) + "\\MarloCoach.exe", "a neighbour");
  AddLookalikes(layout, {{user, common}, {commonStart, userStart}, uninstall,
                         /*archiveFolder=*/user, "a neighbour", "a neighbour"});
  for (std::size_t i = firstNeighbour; i < layout.items.size(); ++i)
    inst.foreignFiles.push_back(layout.items[i].path);
  const std::string neighbourEntry = uninstall + "\\" + lookalike::kUninstallEntry;
  layout.AddKey(std::string(lookalike::kProductKey) + "\\Settings");
  layout.AddKey(product, {{"Version", "4.2"}});
  inst.foreignKeys.push_back(neighbourEntry);
  inst.foreignKeys.push_back(product);  // the product key itself stays
  inst.foreignValues = {{neighbourEntry, "DisplayName"}, {product, "Version"}};

  Seed(*TestMachineOver(*bench.machine), layout, inst.seedError);
  StartProgram(bench);
  RecordBaseline(bench, inst);
  return inst;
}

bool AnyLineStartsWith(const Bench& bench, const std::string& prefix) {
  for (const std::string& line : bench.state.m_failures)
    if (StartsWith(line, prefix)) return true;
  return false;
}

void StartProgram(Bench& bench) {
  bench.state.m_location = FindInstallLocation(*bench.machine);
  RecordSystemInfo(*bench.machine, bench.state);
  bench.state.m_saveStudentData = true;
}

void RecordBaseline(const Bench& bench, Installation& installation) {
  const SimMachine& m = *bench.machine;
  Baseline& baseline = installation.baseline;
  baseline = Baseline();
  for (char drive = 'A'; drive <= 'Z'; ++drive) {
    for (const std::string& path : m.ListTree(std::string(1, drive) + ":\\")) {
      Baseline::Entry entry;
      entry.folder = m.IsFolder(path);
      if (!entry.folder) m.ReadFile(path, entry.bytes);
      entry.attributes = m.GetAttributes(path);
      baseline.files[ComparablePath(path)] = entry;
    }
  }
  ListKeys(m, kHkeyLocalMachine, "", "hklm", baseline.keys);
  ListKeys(m, kHkeyCurrentUser, "", "hkcu", baseline.keys);
  baseline.taken = true;
}

std::vector<std::string> CheckPromises(const Bench& bench, const Installation& installation,
                                       bool shortcutsMayBeUnknown) {
  std::vector<std::string> problems;
  const SimMachine& m = *bench.machine;
  if (!installation.seedError.empty()) problems.push_back("seeding: " + installation.seedError);

  for (const auto& file : installation.studentFiles)
    if (!StudentFileKept(bench, installation, file.first, file.second))
      problems.push_back("student file lost: " + file.first);
  if (installation.baseline.taken) CheckUntouched(bench, installation, problems);

  for (const std::string& path : installation.foreignFiles)
    if (!m.Exists(path)) problems.push_back("foreign file deleted: " + path);
  for (const std::string& key : installation.foreignKeys)
    if (!m.KeyExists(kHkeyLocalMachine, key)) problems.push_back("foreign key deleted: " + key);

  // The run either stopped before touching the product, and said so, or
  // saved the student data in full and names whatever it left behind.
  if (bench.ui.AnyBoxContains(texts::kCopyFailed)) return problems;
  // (A file that was already in the backup is kept as it was.)
  const std::string students = StudentsOf(installation);
  for (const auto& file : installation.studentFiles) {
    if (bench.state.m_saveStudentData && StartsWith(file.first, students + "\\") &&
        !m.Exists(installation.backup + file.first.substr(students.size())))
      problems.push_back("missing from the backup: " + file.first);
  }
  const std::vector<std::string> named = NamedLeftovers(bench);
  auto accounted = [&named](const std::string& path) {
    for (const std::string& leftover : named) {
      if (Within(path, leftover)) return true;
      // A path without a drive ("\MLC Students") names the current drive.
      const bool driveless = !leftover.empty() && leftover[0] == '\\' &&
                             leftover.compare(0, 2, "\\\\") != 0;
      if (driveless && path.size() >= 2 && Within(path, path.substr(0, 2) + leftover)) return true;
    }
    return false;
  };
  std::vector<std::string> items = installation.productFolders;
  if (!shortcutsMayBeUnknown)
    items.insert(items.end(), installation.shortcuts.begin(), installation.shortcuts.end());
  for (const std::string& path : items)
    if (m.Exists(path) && !accounted(path)) problems.push_back("left silently: " + path);

  for (const std::string& key : installation.productKeys)
    if (m.KeyExists(kHkeyLocalMachine, key) &&
        !AnyLineStartsWith(bench, texts::kProductSubkeyLine))
      problems.push_back("left silently: key " + key);
  if (m.ValueExists(kHkeyLocalMachine, kProductKey, texts::kInstallPathValue) &&
      !AnyLineStartsWith(bench, texts::kInstallPathLine))
    problems.push_back("left silently: value InstallPath");
  // An uninstall entry that is left is named by its own line.
  for (const std::string& key : installation.uninstallEntries) {
    const std::string line = texts::kUninstallLine + key.substr(key.rfind('\\') + 1);
    if (m.KeyExists(kHkeyLocalMachine, key) &&
        std::count(bench.state.m_failures.begin(), bench.state.m_failures.end(), line) == 0)
      problems.push_back("left silently: key " + key);
  }
  return problems;
}

}  // namespace scenario
