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

// One sweep, adding its failure lines to the run's.
struct Sweep {
  IWindowsServices& services;
  IRunUi& ui;
  FolderRemoval& folders;
  std::vector<std::string>& lines;

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

void SweepShortcuts(IWindowsServices& services, IRunUi& ui, FolderRemoval& folders,
                    MachineCodePage& codePage, const UninstallState& state,
                    const std::string& desktop, const std::string& startMenu,
                    std::vector<std::string>& failures) {
  // A folder the shell could not supply is empty; it and the folder derived
  // from it are skipped, so no path is ever built on an empty front. A
  // derived folder without a drive is empty too, and skipped.
  const auto derive = [&](const std::string& folder, const char* lastPart) {
    return state.m_osMajor >= 5 && !folder.empty()
               ? DerivePerUserFolder(folder, state.m_userName, lastPart, codePage.Get())
               : std::string();
  };
  Sweep sweep{services, ui, folders, failures};

  ui.SetTitleLine(texts::kStep5);
  if (!desktop.empty()) sweep.DeleteListedShortcuts(desktop, texts::kDesktopShortcuts);
  const std::string userDesktop = derive(desktop, texts::kDesktopPart);
  if (!userDesktop.empty()) sweep.DeleteListedShortcuts(userDesktop, texts::kDesktopShortcuts);

  ui.SetTitleLine(texts::kStep6);
  if (!startMenu.empty()) {
    sweep.DeleteListedShortcuts(startMenu, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(startMenu);
  }
  ui.SetDetailLine("");
  const std::string userStartMenu = derive(startMenu, texts::kStartMenuPart);
  if (!userStartMenu.empty()) {
    sweep.DeleteListedShortcuts(userStartMenu, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(userStartMenu);
    ui.SetDetailLine("");
  }
}
