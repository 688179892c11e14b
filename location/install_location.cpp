#include "location/install_location.h"

#include "services/handles.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

namespace {

constexpr std::uint32_t kInstallPathBuffer = 1000;
constexpr std::uint32_t kUserNameBuffer = 1024;
constexpr std::uint32_t kProgramFilesBuffer = kMaxFilePath + 1;

// The text a registry string value holds in a zero-filled buffer of
// `capacity` bytes: up to its first NUL. Data that fills the whole buffer
// without a NUL has no room for one and does not fit.
bool TextFromValue(const std::string& data, std::uint32_t capacity, std::string& text) {
  std::size_t end = data.find('\0');
  if (end == std::string::npos && data.size() >= capacity) return false;
  text = data.substr(0, end);
  return true;
}

// The Program Files folder Windows gives this program, as ProgramFilesDir
// names it (a 32-bit program on 64-bit Windows reads the 32-bit view, which
// names "Program Files (x86)"); empty when the value is missing, empty or
// too long. A value that is there but cannot be read is asked of the shell,
// which names the same folder (from shell version 5.0 on).
std::string ProgramFilesFolder(IWindowsServices& services) {
  UniqueKey key(services);
  std::string data;
  std::string folder;
  long rc = key.Open(kHkeyLocalMachine, texts::kCurrentVersionKey, kKeyRead);
  if (rc == winerr::kSuccess)
    rc = services.QueryValue(key.Get(), texts::kProgramFilesDirValue, kProgramFilesBuffer, data);
  if (rc == winerr::kSuccess)
    TextFromValue(data, kProgramFilesBuffer, folder);
  else if (rc != winerr::kMoreData && !winerr::IsAbsence(rc))
    services.SpecialFolderPath(csidl::kProgramFiles, folder);
  return folder;
}

// A whole path on a drive ("X:\..."; "X:" once trailing backslashes are
// dropped): not relative, not an unexpanded "%variable%", no wildcard.
bool IsDriveFolder(const std::string& folder) {
  const char letter = folder.size() >= 2 ? static_cast<char>(folder[0] | 0x20) : '\0';
  return letter >= 'a' && letter <= 'z' && folder[1] == ':' &&
         (folder.size() == 2 || folder[2] == '\\' || folder[2] == '/') &&
         folder.find_first_of("%*?") == std::string::npos;
}

}  // namespace

std::string FindInstallLocation(IWindowsServices& services) {
  std::string location;
  {
    UniqueKey key(services);
    std::string data;
    std::string folder;
    if (key.Open(kHkeyLocalMachine, texts::kProductKey, kKeyRead) == winerr::kSuccess &&
        services.QueryValue(key.Get(), texts::kInstallPathValue, kInstallPathBuffer, data) ==
            winerr::kSuccess &&
        TextFromValue(data, kInstallPathBuffer, folder) &&
        folder.find_first_of("*?") == std::string::npos &&
        FindFile(services, folder)) {
      location = folder;  // trusted once something exists there (a wildcard names no one folder)
    }
  }
  if (location.empty() && FindFile(services, texts::kDefaultExe)) location = texts::kDefaultFolder;
  return location;
}

std::vector<std::string> FindInstallerCaches(IWindowsServices& services,
                                             const AnsiCodePage& codePage) {
  std::vector<std::string> caches;
  const std::string folder = WithoutTrailingBackslashes(ProgramFilesFolder(services), codePage);
  const std::string cache = folder + texts::kInstallerCacheTail;
  if (IsDriveFolder(folder) && cache.size() <= kMaxFilePath &&
      ComparablePath(cache, codePage) != ComparablePath(texts::kInstallerCache, codePage))
    caches.push_back(cache);
  caches.push_back(texts::kInstallerCache);
  return caches;
}

void RecordSystemInfo(IWindowsServices& services, SystemInfo& state) {
  OsVersion version;
  services.GetOsVersion(version);
  state.m_osMajor = static_cast<int>(version.major);
  state.m_osMinor = static_cast<int>(version.minor);
  state.m_userName.clear();
  if (state.m_osMajor >= 5) services.UserName(kUserNameBuffer, state.m_userName);
}

void Browse(RunContext& run, std::string& location) {
  IWindowsServices& services = run.services;
  ComScope com(services);
  const WindowHandle owner = run.ui.MainWindow();
  UniqueItemList items(services, services.BrowseForFolder(owner, texts::kBrowseTitle, kBifEditBox));
  std::string path;
  if (items.Get() == 0 || !services.PathFromItemList(items.Get(), path) || path.empty()) return;
  if (!ConfirmInstallFolder(run, path)) return;
  run.ui.SetStatusText(texts::kBrowsedFolderStatus);
  run.ui.SetLocationText(path);
  location = path;
}

bool ConfirmInstallFolder(RunContext& run, const std::string& folder) {
  const std::string exe = WithoutTrailingBackslashes(folder, run.codePage.Get()) + texts::kExeName;
  return FindFile(run.services, exe) ||
         run.ui.ShowMessage(texts::kConfirmLocation, texts::kConfirmCaption, BoxStyle::YesNo) ==
             BoxAnswer::Yes;
}
