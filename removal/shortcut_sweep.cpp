// Steps 5 and 6: the product's desktop and Start-menu shortcuts and its
// Start-menu folder, for one pair of desktop and Start-menu folders.
#include <iterator>

#include "removal/engine_texts.h"
#include "removal/path_rules.h"
#include "removal/uninstall_engine.h"

void UninstallEngine::SweepShortcuts(const std::string& desktop, const std::string& startMenu) {
  // A folder the shell could not supply is empty; it and the folder derived
  // from it are skipped, so no path is ever built on an empty front.
  const bool perUser = m_state.m_osMajor >= 5;

  m_ui.SetTitleLine(texts::kStep5);
  m_state.m_shortcutNames.assign(std::begin(texts::kDesktopShortcuts),
                                 std::end(texts::kDesktopShortcuts));
  if (!desktop.empty()) {
    DeleteListedShortcuts(desktop);
    if (perUser)
      DeleteListedShortcuts(
          DerivePerUserFolder(desktop, m_state.m_userName, texts::kDesktopPart, CodePage()));
  }

  m_ui.SetTitleLine(texts::kStep6);
  m_state.m_shortcutNames.assign(std::begin(texts::kStartMenuShortcuts),
                                 std::end(texts::kStartMenuShortcuts));
  if (!startMenu.empty()) {
    DeleteListedShortcuts(startMenu);
    DeleteProgramFolder(startMenu);
  }
  m_ui.SetDetailLine("");
  if (perUser && !startMenu.empty()) {
    const std::string derived =
        DerivePerUserFolder(startMenu, m_state.m_userName, texts::kStartMenuPart, CodePage());
    DeleteListedShortcuts(derived);
    DeleteProgramFolder(derived);
    m_ui.SetDetailLine("");
  }
}

void UninstallEngine::DeleteListedShortcuts(const std::string& folder) {
  for (const std::string& name : m_state.m_shortcutNames) {
    const std::string path = folder + "\\" + name;
    if (MayExist(path) && !m_services.RemoveFile(path) &&
        !IsAbsenceError(m_services.LastError())) {
      m_state.m_failures.push_back(texts::kFileLine + path);
    }
  }
}

void UninstallEngine::DeleteProgramFolder(const std::string& startMenu) {
  const std::string folder = startMenu + texts::kProgramFolderSuffix;
  if (MayExist(folder) && !ShellDeleteFolder(m_ui.MainWindow(), folder))
    m_state.m_failures.push_back(texts::kFolderLine + folder);
}
