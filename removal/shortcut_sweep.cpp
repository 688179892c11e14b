// Steps 5 and 6: the product's desktop and Start-menu shortcuts and its
// Start-menu folder, for one pair of desktop and Start-menu folders.
#include "removal/shortcut_sweep.h"

#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/path_rules.h"

namespace {

// The longest path the ANSI file calls take (MAX_PATH less its NUL). A
// longer one fails with 206 whether or not something is there, and neither
// the file deletion nor the shell's deletion could reach it.
constexpr std::size_t kLongestAnsiPath = 259;

bool BeyondAnsiReach(const std::string& path, long error) {
  return error == winerr::kFilenameTooLong && path.size() > kLongestAnsiPath;
}

// One sweep, gathering its failure lines.
struct Sweep {
  IWindowsServices& services;
  IRunUi& ui;
  FolderRemoval& folders;
  std::vector<std::string> lines;

  // An existence test that answers "yes" when it cannot tell, except that a
  // path longer than the ANSI calls take is absent.
  bool ShortcutMayExist(const std::string& path) {
    if (FindFile(services, path)) return true;
    const long error = services.LastError();
    return !winerr::IsAbsence(error) && !BeyondAnsiReach(path, error);
  }

  template <std::size_t N>
  void DeleteListedShortcuts(const std::string& folder, const char* const (&shortcutNames)[N]) {
    for (const char* name : shortcutNames) {
      const std::string path = folder + "\\" + name;
      if (ShortcutMayExist(path) && !services.RemoveFile(path)) {
        const long error = services.LastError();
        if (!winerr::IsAbsence(error) && !BeyondAnsiReach(path, error))
          lines.push_back(texts::kFileLine + path);
      }
    }
  }

  void DeleteProgramFolder(const std::string& startMenu) {
    const std::string folder = startMenu + texts::kProgramFolderSuffix;
    if (ShortcutMayExist(folder) && !folders.ShellDeleteFolder(ui.MainWindow(), folder))
      lines.push_back(texts::kFolderLine + folder);
  }
};

}  // namespace

std::vector<std::string> SweepShortcuts(IWindowsServices& services, IRunUi& ui,
                                        FolderRemoval& folders, MachineCodePage& codePage,
                                        const UninstallState& state, const std::string& desktop,
                                        const std::string& startMenu) {
  // A folder the shell could not supply is empty; it and the folder derived
  // from it are skipped, so no path is ever built on an empty front. A
  // derived folder without a drive is empty too, and skipped.
  const bool perUser = state.m_osMajor >= 5;
  Sweep sweep{services, ui, folders, {}};

  ui.SetTitleLine(texts::kStep5);
  if (!desktop.empty()) {
    sweep.DeleteListedShortcuts(desktop, texts::kDesktopShortcuts);
    const std::string derived = perUser ? DerivePerUserFolder(desktop, state.m_userName,
                                                              texts::kDesktopPart, codePage.Get())
                                        : std::string();
    if (!derived.empty()) sweep.DeleteListedShortcuts(derived, texts::kDesktopShortcuts);
  }

  ui.SetTitleLine(texts::kStep6);
  if (!startMenu.empty()) {
    sweep.DeleteListedShortcuts(startMenu, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(startMenu);
  }
  ui.SetDetailLine("");
  const std::string derived =
      perUser && !startMenu.empty()
          ? DerivePerUserFolder(startMenu, state.m_userName, texts::kStartMenuPart, codePage.Get())
          : std::string();
  if (!derived.empty()) {
    sweep.DeleteListedShortcuts(derived, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(derived);
    ui.SetDetailLine("");
  }
  return sweep.lines;
}
