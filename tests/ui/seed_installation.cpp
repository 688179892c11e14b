#include "tests/ui/seed_installation.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "tests/support/installation_seed.h"
#include "tests/support/win32_files.h"

namespace seed {
namespace {

const char* const kFirstNames[] = {"Ada",   "Ben",   "Chloe", "Dev",  "Ella", "Finn",
                                   "Grace", "Hugo",  "Isla",  "Jack", "Kira", "Liam",
                                   "Maya",  "Noah",  "Olive", "Pete"};
const char* const kStudentFiles[] = {"Progress.mlc", "Lesson 01.dat", "Lesson 02.dat",
                                     "Notes.txt",    "Quiz scores.csv", "Reading log.txt",
                                     "Lesson 03.dat", "Drawing.bmp"};

// Deterministic bytes of a given size, different for every file.
std::string Content(const std::string& label, size_t size) {
  std::string text;
  text.reserve(size);
  while (text.size() < size) text += label + " | ";
  text.resize(size);
  return text;
}

bool DeleteKeyTree(const std::string& path) {
  return win32test::DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
}

std::string ShellFolder(int csidl) {
  char buffer[MAX_PATH] = "";
  if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE)) return std::string();
  return buffer;
}

std::string DropComponent(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Derived(const std::string& folder, const std::string& user, const char* last) {
  std::string front = DropComponent(DropComponent(DropComponent(folder)));
  return front + "\\" + user + "\\" + last;
}

void AddDistinct(std::vector<std::string>& list, const std::string& item) {
  for (const auto& known : list)
    if (lstrcmpiA(known.c_str(), item.c_str()) == 0) return;
  list.push_back(item);
}

// The folders that receive the product's shortcuts: the shell's own, the
// derived ones, or both (every folder that can hold them).
void ShortcutFoldersOf(const ShortcutFolders& folders, bool shell, bool derived,
                       std::vector<std::string>& desktops, std::vector<std::string>& startMenus) {
  desktops.clear();
  startMenus.clear();
  if (shell) {
    desktops = {folders.commonDesktop, folders.userDesktop};
    startMenus = {folders.commonStartMenu, folders.userStartMenu};
  }
  if (!derived) return;
  for (const auto& folder : folders.derivedDesktops) AddDistinct(desktops, folder);
  for (const auto& folder : folders.derivedStartMenus) AddDistinct(startMenus, folder);
}

void AddStudents(const SeedOptions& options, SeedLayout& layout,
                 std::vector<StudentFile>& students) {
  const std::string root = options.installFolder + "\\Students";
  std::vector<std::pair<std::string, DWORD>> extras;
  int name = 0;
  const int fileKinds = static_cast<int>(sizeof kStudentFiles / sizeof kStudentFiles[0]);
  const int nameKinds = static_cast<int>(sizeof kFirstNames / sizeof kFirstNames[0]);
  for (int c = 0; c < options.classes; ++c) {
    std::string cls = "Class " + std::to_string(3 + c / 2) + static_cast<char>('A' + c % 2);
    for (int s = 0; s < options.studentsPerClass; ++s, ++name) {
      std::string student = cls + "\\" + kFirstNames[name % nameKinds] + " " +
                            std::to_string(100 + name);
      for (int f = 0; f < options.filesPerStudent; ++f) {
        std::string file = student + "\\" + (f < fileKinds ? "" : "Archive\\") + kStudentFiles[f % fileKinds];
        students.push_back({file, static_cast<std::uint64_t>(180 + (name * 37 + f * 411) % 4700)});
      }
    }
  }
  if (options.classes > 0 && options.studentsPerClass > 0) {
    const std::string cls = "Class 3A";
    const std::string first = cls + "\\" + kFirstNames[0] + " 100";  // the first student
    extras = {{first + "\\Report card.txt", FILE_ATTRIBUTE_READONLY},
              {first + "\\.profile", 0},
              {first + "\\Recordings\\Reading 1.wav", 0},
              {cls + "\\Roster.dat", FILE_ATTRIBUTE_HIDDEN}};
  }
  for (const auto& extra : extras) students.push_back({extra.first, 97 + extra.first.size()});
  if (options.largeFileSize != 0) students.push_back({kLargeStudentFile, options.largeFileSize});
  layout.AddFolder(root);
  for (const auto& file : students) {
    DWORD attributes = 0;
    for (const auto& extra : extras)
      if (extra.first == file.relativePath) attributes = extra.second;
    layout.AddFile(root + "\\" + file.relativePath,
                   Content(file.relativePath, static_cast<size_t>(file.size)), attributes);
  }
  std::sort(students.begin(), students.end(),
            [](const StudentFile& a, const StudentFile& b) { return a.relativePath < b.relativePath; });
}

void AddFiles(const SeedOptions& options, SeedLayout& layout) {
  const std::string install = options.installFolder;
  if (options.productFiles) {
    layout.AddFile(install + "\\MarloCoach.exe", "MZ" + Content("Marlo Coach", 4094));
    layout.AddFile(install + "\\MLCEngine.dll", "MZ" + Content("engine", 2046));
    layout.AddFile(install + "\\Settings.ini", "[Marlo Coach]\r\nLanguage=en-US\r\n");
    layout.AddFile(install + "\\Help\\Marlo Coach User's Guide.pdf", Content("guide", 3000));
    layout.AddFile(install + "\\Videos\\Welcome.avi", Content("video", 5000));
  }
  if (options.cacheFolder) {
    layout.AddFile(std::string(kCacheFolder) + "\\setup.ini", "[Startup]\r\nProduct=Marlo Coach\r\n");
    layout.AddFile(std::string(kCacheFolder) + "\\data1.hdr", Content("cache", 900));
  }
  if (options.mlcStudents) {
    layout.AddFile(std::string(kMlcStudentsFolder) + "\\Shared\\Worksheet 1.doc", Content("ws", 700));
    layout.AddFile(std::string(kMlcStudentsFolder) + "\\Class list.txt", Content("list", 300));
  }
  if (options.neighbours) {
    layout.AddFile(std::string(lookalike::kFolder) + "\\MarloCoachOld.exe", "MZ" + Content("old", 1000));
    layout.AddFile(std::string(lookalike::kFolder) + "\\Students\\Keep me.txt", Content("keep", 200));
  }
}

// The product's shortcuts, and the neighbours beside them.
void AddShortcuts(const SeedOptions& options, const ShortcutFolders& folders, SeedLayout& layout) {
  std::vector<std::string> desktops, startMenus;
  ShortcutFoldersOf(folders, options.shortcuts, options.derivedShortcuts, desktops, startMenus);
  const std::string link = "dummy shortcut";
  for (const auto& desktop : desktops)
    for (const auto& name : DesktopShortcuts()) layout.AddFile(desktop + "\\" + name, link);
  for (const auto& menu : startMenus) {
    for (const auto& name : StartMenuShortcuts()) layout.AddFile(menu + "\\" + name, link);
    layout.AddFile(menu + "\\" + kProgramFolder + "\\Read me.url", "[InternetShortcut]\r\n");
  }
  if (options.neighbours)
    AddLookalikes(layout, {desktops, startMenus, kUninstallKey, /*archiveFolder=*/"",
                           Content("not the product", 120), link});
}

void AddRegistry(const SeedOptions& options, SeedLayout& layout) {
  const std::string product = kProductKey;
  const std::string uninstall = std::string(kUninstallKey) + "\\";
  if (options.productKey) {
    layout.AddKey(product, {{"Version", "4.2.1"}});
    if (options.installPathValue) layout.AddKey(product, {{"InstallPath", options.installFolder}});
    layout.AddKey(product + "\\Settings", {{"Language", "en-US"}});
    layout.AddKey(product + "\\Licence", {{"Seats", "30"}});
  }
  if (options.uninstallEntries) {
    for (const auto& entry : UninstallEntries())
      layout.AddKey(uninstall + entry,
                    {{"DisplayName", "Marlo Coach"}, {"InstallLocation", options.installFolder}});
    layout.AddKey(uninstall + "MarloCoach\\Components\\Core", {{"Size", "1024"}});
  }
  if (options.neighbours)
    layout.AddKey(lookalike::kProductKey, {{"InstallPath", "C:\\Program Files\\Marlo Reader"}});
}

void ListInto(const std::string& folder, const std::string& prefix, std::vector<StudentFile>& out) {
  for (const WIN32_FIND_DATAA& entry : win32test::ListFolder(folder + "\\*")) {
    const std::string name = entry.cFileName;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListInto(folder + "\\" + name, prefix + name + "\\", out);
    else
      out.push_back({prefix + name, (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) |
                                        entry.nFileSizeLow});
  }
}

}  // namespace

// A table of the program's, each name once (the desktop table names one twice).
template <std::size_t N>
std::vector<std::string> Distinct(const char* const (&table)[N]) {
  std::vector<std::string> list;
  for (const char* name : table)
    if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
  return list;
}

std::vector<std::string> DesktopShortcuts() { return Distinct(texts::kDesktopShortcuts); }
std::vector<std::string> StartMenuShortcuts() { return Distinct(texts::kStartMenuShortcuts); }
std::vector<std::string> UninstallEntries() { return Distinct(texts::kUninstallEntries); }

bool ReadShortcutFolders(ShortcutFolders& out, std::string& error) {
  out = ShortcutFolders();
  out.commonDesktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  out.userDesktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  out.commonStartMenu = ShellFolder(CSIDL_COMMON_STARTMENU);
  out.userStartMenu = ShellFolder(CSIDL_STARTMENU);
  char user[1024] = "";
  DWORD size = sizeof user;
  GetUserNameA(user, &size);
  out.userName = user;
  if (out.commonDesktop.empty() || out.userDesktop.empty() || out.commonStartMenu.empty() ||
      out.userStartMenu.empty() || out.userName.empty()) {
    error = "the shell did not give all four special folders and the user name";
    return false;
  }
  for (const auto* desktop : {&out.commonDesktop, &out.userDesktop})
    AddDistinct(out.derivedDesktops, Derived(*desktop, out.userName, "Desktop"));
  for (const auto* menu : {&out.commonStartMenu, &out.userStartMenu})
    AddDistinct(out.derivedStartMenus, Derived(*menu, out.userName, "Start Menu"));
  return true;
}

std::vector<StudentFile> ListFiles(const std::string& folder) {
  std::vector<StudentFile> files;
  ListInto(folder, "", files);
  std::sort(files.begin(), files.end(),
            [](const StudentFile& a, const StudentFile& b) { return a.relativePath < b.relativePath; });
  return files;
}

std::string FormatManifest(const std::vector<StudentFile>& files) {
  std::string text;
  for (const auto& file : files) text += std::to_string(file.size) + "\t" + file.relativePath + "\n";
  return text;
}

bool ResetInstallation(const SeedOptions& options, std::string& error) {
  ShortcutFolders folders;
  if (!ReadShortcutFolders(folders, error)) return false;
  std::vector<std::string> paths = {options.installFolder, kDefaultInstallFolder, kCacheFolder,
                                    kMlcStudentsFolder, lookalike::kFolder, lookalike::kFile,
                                    folders.userDesktop + "\\" + kBackupFolderName};
  std::vector<std::string> desktops, startMenus;
  ShortcutFoldersOf(folders, true, true, desktops, startMenus);
  for (const auto& desktop : desktops) {
    for (const auto& name : DesktopShortcuts()) paths.push_back(desktop + "\\" + name);
    paths.push_back(desktop + "\\" + lookalike::kShortcut);
  }
  for (const auto& menu : startMenus) {
    paths.push_back(menu + "\\" + kProgramFolder);
    paths.push_back(menu + "\\" + lookalike::kProgramFolder);
  }
  bool ok = true;
  for (const auto& path : paths) ok = win32test::DeleteTree(path) && ok;
  if (!ok) error = "could not delete everything a previous seeding made";
  const std::string uninstall = std::string(kUninstallKey) + "\\";
  bool keys = DeleteKeyTree(kProductKey) && DeleteKeyTree(lookalike::kProductKey) &&
              DeleteKeyTree(uninstall + lookalike::kUninstallEntry);
  for (const auto& entry : UninstallEntries()) keys = DeleteKeyTree(uninstall + entry) && keys;
  if (!keys) error = "could not delete the seeded registry keys";
  return ok && keys;
}

bool ResetAndSeedThisMachine(const SeedOptions& options, std::vector<StudentFile>& students,
                             std::string& error) {
  students.clear();
  ShortcutFolders folders;
  if (!ResetInstallation(options, error) || !ReadShortcutFolders(folders, error)) return false;
  SeedLayout layout;
  AddFiles(options, layout);
  if (options.studentsFolder) AddStudents(options, layout, students);
  AddShortcuts(options, folders, layout);
  AddRegistry(options, layout);
  if (!options.manifest.empty()) layout.AddFile(options.manifest, FormatManifest(students));
  return Seed(*MakeWholeMachine(), layout, error);
}

}  // namespace seed
