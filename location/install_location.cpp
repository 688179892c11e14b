// Start-up and "Browse...": where the product is installed, the system's
// version and the logged-on user.
#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/uninstall_engine.h"

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

std::string UninstallEngine::FindInstallLocation() {
  std::string location;
  {
    UniqueKey key(m_services);
    std::string data;
    std::string folder;
    if (key.Open(kHkeyLocalMachine, texts::kProductKeyForReading, kKeyRead) == winerr::kSuccess &&
        m_services.QueryValue(key.Get(), texts::kInstallPathValue, kInstallPathBuffer, data) ==
            winerr::kSuccess &&
        TextFromValue(data, folder) && folder.find_first_of("*?") == std::string::npos &&
        FindFile(m_services, folder)) {
      location = folder;  // trusted once something exists there (a wildcard names no one folder)
    }
  }
  if (location.empty() && FindFile(m_services, texts::kDefaultExe)) location = texts::kDefaultFolder;
  return location;
}

void UninstallEngine::RecordSystemInfo() {
  m_state.m_osVersionInfo = OsVersion();
  m_services.GetOsVersion(m_state.m_osVersionInfo);
  m_state.m_osMajor = static_cast<int>(m_state.m_osVersionInfo.major);
  m_state.m_osMinor = static_cast<int>(m_state.m_osVersionInfo.minor);
  m_state.m_userName.clear();
  if (m_state.m_osMajor >= 5) m_services.UserName(kUserNameBuffer, m_state.m_userName);
}

void UninstallEngine::Browse() {
  if (m_busy) return;
  BusyScope busy(m_busy);
  ComScope com(m_services);
  UniqueItemList items(m_services, m_services.BrowseForFolder(m_ui.MainWindow(),
                                                              texts::kBrowseTitle, kBifEditBox));
  std::string path;
  if (items.Get() == 0 || !m_services.PathFromItemList(items.Get(), path) || path.empty()) return;
  if (!ConfirmInstallFolder(path)) return;
  m_ui.SetStatusText(texts::kBrowsedFolderStatus);
  m_ui.SetLocationText(path);
  m_state.m_location = path;
}
