#include "removal/shortcut_sweep.h"

#include "platform/handles.h"
#include "removal/patient_calls.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

namespace {

// A path longer than the ANSI file calls take fails with 206 whether or not
// something is there, and neither the file deletion nor the shell's could reach it.
bool BeyondAnsiReach(const std::string& path, long error) {
  return error == winerr::kFilenameTooLong && path.size() > kMaxFilePath;
}

// One sweep, adding its failure lines to the run's.
struct Sweep {
  RunContext& run;
  FolderRemoval& folders;
  PatientCalls patient{run};

  // An existence test that answers "yes" when it cannot tell, except that a
  // path longer than the ANSI calls take is absent.
  bool ShortcutMayExist(const std::string& path) {
    if (FindFile(run.services, path)) return true;
    const long error = run.services.LastError();
    return !winerr::IsAbsence(error) && !BeyondAnsiReach(path, error);
  }

  template <std::size_t N>
  void DeleteListedShortcuts(const std::string& folder, const char* const (&shortcutNames)[N]) {
    for (const char* name : shortcutNames) {
      const std::string path = folder + "\\" + name;
      // A deletion counts once the name is gone; one already gone is done.
      if (ShortcutMayExist(path) && !patient.RemoveFile(path, false) &&
          !BeyondAnsiReach(path, patient.LastError()))
        run.failures.push_back(texts::kFileLine + path);
    }
  }

  void DeleteProgramFolder(const std::string& startMenu) {
    const std::string folder = startMenu + texts::kProgramFolderSuffix;
    if (ShortcutMayExist(folder) && !folders.ShellDeleteFolder(run.ui.MainWindow(), folder))
      run.failures.push_back(texts::kFolderLine + folder);
  }
};

}  // namespace

void SweepShortcuts(RunContext& run, FolderRemoval& folders, const UninstallState& state,
                    const std::string& desktop, const std::string& startMenu) {
  // A folder the shell could not supply is empty; it and the folder derived
  // from it are skipped, so no path is ever built on an empty front. A
  // derived folder without a drive is empty too, and skipped.
  const auto derive = [&](const std::string& folder, const char* lastPart) {
    return state.m_osMajor >= 5 && !folder.empty()
               ? DerivePerUserFolder(folder, state.m_userName, lastPart, run.codePage.Get())
               : std::string();
  };
  Sweep sweep{run, folders};

  run.ui.SetTitleLine(texts::kStep5);
  if (!desktop.empty()) sweep.DeleteListedShortcuts(desktop, texts::kDesktopShortcuts);
  const std::string userDesktop = derive(desktop, texts::kDesktopPart);
  if (!userDesktop.empty()) sweep.DeleteListedShortcuts(userDesktop, texts::kDesktopShortcuts);

  run.ui.SetTitleLine(texts::kStep6);
  if (!startMenu.empty()) {
    sweep.DeleteListedShortcuts(startMenu, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(startMenu);
  }
  run.ui.SetDetailLine("");
  const std::string userStartMenu = derive(startMenu, texts::kStartMenuPart);
  if (!userStartMenu.empty()) {
    sweep.DeleteListedShortcuts(userStartMenu, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(userStartMenu);
    run.ui.SetDetailLine("");
  }
}
