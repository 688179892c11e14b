// Steps 5 and 6: the product's desktop and Start-menu shortcuts and its
// Start-menu folder, for one pair of desktop and Start-menu folders.
#include <iterator>

#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/path_rules.h"
#include "removal/uninstall_engine.h"

namespace {

// The longest path the ANSI file calls take (MAX_PATH less its NUL). A
// longer one fails with 206 whether or not something is there, and neither
// the file deletion nor the shell's deletion could reach it.
constexpr std::size_t kLongestAnsiPath = 259;

bool BeyondAnsiReach(const std::string& path, long error) {
  return error == winerr::kFilenameTooLong && path.size() > kLongestAnsiPath;
}

}  // namespace

void UninstallEngine::SweepShortcuts(const std::string& desktop, const std::string& startMenu) {
  // A folder the shell could not supply is empty; it and the folder derived
  // from it are skipped, so no path is ever built on an empty front. A
  // derived folder without a drive is empty too, and skipped.
  const bool perUser = m_state.m_osMajor >= 5;

  m_ui.SetTitleLine(texts::kStep5);
  m_state.m_shortcutNames.assign(std::begin(texts::kDesktopShortcuts),
                                 std::end(texts::kDesktopShortcuts));
  if (!desktop.empty()) {
    DeleteListedShortcuts(desktop);
    const std::string derived =
        perUser ? DerivePerUserFolder(desktop, m_state.m_userName, texts::kDesktopPart, CodePage())
                : std::string();
    if (!derived.empty()) DeleteListedShortcuts(derived);
  }

  m_ui.SetTitleLine(texts::kStep6);
  m_state.m_shortcutNames.assign(std::begin(texts::kStartMenuShortcuts),
                                 std::end(texts::kStartMenuShortcuts));
  if (!startMenu.empty()) {
    DeleteListedShortcuts(startMenu);
    DeleteProgramFolder(startMenu);
  }
  m_ui.SetDetailLine("");
  const std::string derived =
      perUser && !startMenu.empty()
          ? DerivePerUserFolder(startMenu, m_state.m_userName, texts::kStartMenuPart, CodePage())
          : std::string();
  if (!derived.empty()) {
    DeleteListedShortcuts(derived);
    DeleteProgramFolder(derived);
    m_ui.SetDetailLine("");
  }
}

void UninstallEngine::DeleteListedShortcuts(const std::string& folder) {
  for (const std::string& name : m_state.m_shortcutNames) {
    const std::string path = folder + "\\" + name;
    if (ShortcutMayExist(path) && !m_services.RemoveFile(path)) {
      const long error = m_services.LastError();
      if (!IsAbsenceError(error) && !BeyondAnsiReach(path, error))
        m_state.m_failures.push_back(texts::kFileLine + path);
    }
  }
}

void UninstallEngine::DeleteProgramFolder(const std::string& startMenu) {
  const std::string folder = startMenu + texts::kProgramFolderSuffix;
  if (ShortcutMayExist(folder) && !ShellDeleteFolder(m_ui.MainWindow(), folder))
    m_state.m_failures.push_back(texts::kFolderLine + folder);
}

bool UninstallEngine::ShortcutMayExist(const std::string& path) {
  if (FindFile(m_services, path)) return true;
  const long error = m_services.LastError();
  return !IsAbsenceError(error) && !BeyondAnsiReach(path, error);
}
