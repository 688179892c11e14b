#include "tests/engine/scenario.h"

#include "removal/path_rules.h"

namespace scenario {

namespace {

const std::string kStudents = std::string(kLocation) + "\\Students";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// `inner` is `outer` or lies below it, compared as Windows compares paths.
bool Within(const std::string& inner, const std::string& outer) {
  const std::string a = ComparablePath(inner);
  const std::string b = ComparablePath(outer);
  return StartsWith(a, b) && (a.size() == b.size() || a[b.size()] == '\\');
}

void AddStudentFile(Bench& bench, Installation& installation, const std::string& path,
                    const std::string& bytes, std::uint32_t attributes = kAttrArchive) {
  bench.machine->AddFile(path, bytes, attributes, 0x01D0000000000000ull);
  installation.studentFiles[path] = bytes;
}

void AddShortcut(Bench& bench, Installation& installation, const std::string& path) {
  bench.machine->AddFile(path, "shortcut");
  installation.shortcuts.push_back(path);
}

// The paths the run named as not removed, in its failure lines and its
// error boxes.
std::vector<std::string> NamedLeftovers(const Bench& bench) {
  static const char* const kLinePrefixes[] = {"Folder: ", "File: "};
  static const char* const kBoxPrefixes[] = {"Could not delete: ", "Could not delete file: ",
                                             "Could not delete directory: "};
  std::vector<std::string> named;
  for (const std::string& line : bench.state.m_failures)
    for (const char* prefix : kLinePrefixes)
      if (StartsWith(line, prefix)) named.push_back(line.substr(std::string(prefix).size()));
  for (const FakeRunUi::Box& box : bench.ui.Boxes())
    for (const char* prefix : kBoxPrefixes)
      if (StartsWith(box.text, prefix)) named.push_back(box.text.substr(std::string(prefix).size()));
  return named;
}

bool HasLineStartingWith(const Bench& bench, const std::string& prefix) {
  for (const std::string& line : bench.state.m_failures)
    if (StartsWith(line, prefix)) return true;
  return false;
}

bool StudentFileKept(const Bench& bench, const std::string& path, const std::string& bytes) {
  std::string found;
  if (bench.machine->ReadFile(path, found) && found == bytes) return true;
  if (StartsWith(path, kStudents + "\\") &&
      bench.machine->ReadFile(std::string(kBackup) + path.substr(kStudents.size()), found) &&
      found == bytes)
    return true;
  for (const SimMachine::RecycledEntry& entry : bench.machine->Recycled())
    if (!entry.isFolder && ComparablePath(entry.originalPath) == ComparablePath(path) &&
        entry.bytes == bytes)
      return true;
  return false;
}

}  // namespace

Installation SeedInstallation(Bench& bench) {
  SimMachine& m = *bench.machine;
  Installation inst;
  const std::string location = kLocation;

  m.AddFile(location + "\\MarloCoach.exe", "MZ coach");
  m.AddFile(location + "\\Coach.dll", "MZ library");
  m.AddFile(location + "\\Media\\intro.avi", "RIFF");
  AddStudentFile(bench, inst, kStudents + "\\roster.txt", "Ada, Ben, Cy");
  AddStudentFile(bench, inst, kStudents + "\\class1\\alice.dat", "alice progress");
  AddStudentFile(bench, inst, kStudents + "\\class1\\bob.dat", "bob progress",
                 kAttrReadOnly | kAttrArchive);
  AddStudentFile(bench, inst, kStudents + "\\class2\\deep\\notes.txt", "notes",
                 kAttrHidden | kAttrArchive);
  AddStudentFile(bench, inst, kStudents + "\\.profile", "dot-named file");
  AddStudentFile(bench, inst, kStudents + "\\.cache\\state.bin", "dot-named folder");
  m.AddFolder(kStudents + "\\empty class");
  AddStudentFile(bench, inst, "C:\\MLC Students\\export\\term1.csv", "term one");
  m.AddFile(std::string("C:\\Program Files\\InstallShield Installation Information\\"
                        "{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}\\setup.ini"),
            "[setup]");
  inst.productFolders = {"C:\\MLC Students",
                         "C:\\Program Files\\InstallShield Installation Information\\"
                         "{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}",
                         location};

  const std::string common = kCommonDesktop, user = kUserDesktop;
  const std::string commonStart = kCommonStartMenu, userStart = kUserStartMenu;
  AddShortcut(bench, inst, common + "\\Marlo Coach Administration.lnk");
  AddShortcut(bench, inst, common + "\\MarloCoach Admin.lnk");
  AddShortcut(bench, inst, user + "\\Marlo Coach Students.lnk");
  AddShortcut(bench, inst, "C:\\tech\\Desktop\\Marlo Coach Videos.lnk");  // derived desktop
  AddShortcut(bench, inst, commonStart + "\\Programs\\Marlo Coach\\Marlo Coach Administration.lnk");
  AddShortcut(bench, inst, commonStart + "\\Programs\\Marlo Coach\\Uninstall.lnk");
  AddShortcut(bench, inst, commonStart + "\\Programs\\Marlo Coach\\Extra Tools.lnk");
  AddShortcut(bench, inst, userStart + "\\Programs\\Marlo Coach\\Students Folder.lnk");
  AddShortcut(bench, inst,  // derived from the common Start menu
              "C:\\ProgramData\\tech\\Start Menu\\Programs\\Marlo Coach\\Marlo Coach Videos.lnk");
  inst.shortcuts.push_back(commonStart + "\\Programs\\Marlo Coach");
  inst.shortcuts.push_back(userStart + "\\Programs\\Marlo Coach");
  inst.shortcuts.push_back("C:\\ProgramData\\tech\\Start Menu\\Programs\\Marlo Coach");

  const std::string product = kProductKey, uninstall = kUninstallKey;
  m.SetStringValue(kHkeyLocalMachine, product, "InstallPath", location);
  m.AddKey(kHkeyLocalMachine, product + "\\Settings");
  m.AddKey(kHkeyLocalMachine, product + "\\Licence");
  inst.productKeys = {product + "\\Licence", product + "\\Settings"};
  m.SetStringValue(kHkeyLocalMachine, uninstall + "\\Marlo Coach", "DisplayName", "Marlo Coach");
  m.AddKey(kHkeyLocalMachine, uninstall + "\\MarloCoach\\Components\\Core");
  m.AddKey(kHkeyLocalMachine, uninstall + "\\MarloCoach\\Components\\Media");
  m.AddKey(kHkeyLocalMachine, uninstall + "\\{7F41A2D8-3B96-11D6-8C25-5A0E93C71B40}");
  inst.uninstallEntries = {uninstall + "\\Marlo Coach", uninstall + "\\MarloCoach",
                           uninstall + "\\{7F41A2D8-3B96-11D6-8C25-5A0E93C71B40}"};

  // Things that are not the product's.
  inst.foreignFiles = {user + "\\lesson plan.doc", "C:\\Program Files\\Other App\\other.exe",
                       commonStart + "\\Programs\\Other App\\Other.lnk",
                       "C:\\users\\tech\\Documents\\grades.xls"};
  for (const std::string& path : inst.foreignFiles) m.AddFile(path, "not ours");
  inst.foreignKeys = {uninstall + "\\Other Product", "Software\\Bellmont Learning Group\\Other Title"};
  for (const std::string& key : inst.foreignKeys) m.AddKey(kHkeyLocalMachine, key);

  bench.state.m_location = bench.engine.FindInstallLocation();
  bench.engine.RecordSystemInfo();
  bench.state.m_saveStudentData = true;
  return inst;
}

std::vector<std::string> CheckPromises(const Bench& bench, const Installation& installation,
                                       bool shortcutsMayBeUnknown) {
  std::vector<std::string> problems;
  const SimMachine& m = *bench.machine;

  for (const auto& file : installation.studentFiles)
    if (!StudentFileKept(bench, file.first, file.second))
      problems.push_back("student file lost: " + file.first);

  for (const std::string& path : installation.foreignFiles)
    if (!m.Exists(path)) problems.push_back("foreign file deleted: " + path);
  for (const std::string& key : installation.foreignKeys)
    if (!m.KeyExists(kHkeyLocalMachine, key)) problems.push_back("foreign key deleted: " + key);

  // The run either stopped before touching the product, and said so, or
  // saved the student data in full and names whatever it left behind.
  if (bench.ui.AnyBoxContains("Unable to copy your student data.")) return problems;
  // (A file that was already in the backup is kept as it was.)
  for (const auto& file : installation.studentFiles) {
    if (bench.state.m_saveStudentData && StartsWith(file.first, kStudents + "\\") &&
        !m.Exists(std::string(kBackup) + file.first.substr(kStudents.size())))
      problems.push_back("missing from the backup: " + file.first);
  }
  const std::vector<std::string> named = NamedLeftovers(bench);
  auto accounted = [&named](const std::string& path) {
    for (const std::string& leftover : named)
      if (Within(path, leftover)) return true;
    return false;
  };
  std::vector<std::string> items = installation.productFolders;
  if (!shortcutsMayBeUnknown)
    items.insert(items.end(), installation.shortcuts.begin(), installation.shortcuts.end());
  for (const std::string& path : items)
    if (m.Exists(path) && !accounted(path)) problems.push_back("left silently: " + path);

  const std::string productLine =
      "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Bellmont Learning Group\\Marlo Coach\\";
  for (const std::string& key : installation.productKeys)
    if (m.KeyExists(kHkeyLocalMachine, key) && !HasLineStartingWith(bench, productLine))
      problems.push_back("left silently: key " + key);
  if (m.ValueExists(kHkeyLocalMachine, kProductKey, "InstallPath") &&
      !HasLineStartingWith(bench, "Registry Value: "))
    problems.push_back("left silently: value InstallPath");
  for (const std::string& key : installation.uninstallEntries)
    if (m.KeyExists(kHkeyLocalMachine, key) &&
        !HasLineStartingWith(bench, "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\"
                                    "Windows\\CurrentVersion\\Uninstall\\Marlo Coach"))
      problems.push_back("left silently: key " + key);
  return problems;
}

}  // namespace scenario
