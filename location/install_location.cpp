#include "location/install_location.h"

#include "platform/handles.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

namespace {

constexpr std::uint32_t kInstallPathBuffer = 1000;
constexpr std::uint32_t kUserNameBuffer = 1024;

// The text a registry string value holds in a zero-filled buffer: up to its
// first NUL. Data that fills the whole buffer without a NUL has no room for
// one and does not fit.
bool TextFromValue(const std::string& data, std::string& text) {
  std::size_t end = data.find('\0');
  if (end == std::string::npos && data.size() >= kInstallPathBuffer) return false;
  text = data.substr(0, end);
  return true;
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
        TextFromValue(data, folder) && folder.find_first_of("*?") == std::string::npos &&
        FindFile(services, folder)) {
      location = folder;  // trusted once something exists there (a wildcard names no one folder)
    }
  }
  if (location.empty() && FindFile(services, texts::kDefaultExe)) location = texts::kDefaultFolder;
  return location;
}

void RecordSystemInfo(IWindowsServices& services, UninstallState& state) {
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
