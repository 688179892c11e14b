#include "removal/shortcut_sweep.h"

#include "removal/patient_calls.h"
#include "services/handles.h"
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

void SweepShortcuts(RunContext& run, FolderRemoval& folders, const SweepFolders& pass) {
  Sweep sweep{run, folders};
  run.ui.SetTitleLine(texts::kStep5);
  if (!pass.desktop.empty()) sweep.DeleteListedShortcuts(pass.desktop, texts::kDesktopShortcuts);
  if (!pass.derivedDesktop.empty())
    sweep.DeleteListedShortcuts(pass.derivedDesktop, texts::kDesktopShortcuts);

  run.ui.SetTitleLine(texts::kStep6);
  if (!pass.startMenu.empty()) {
    sweep.DeleteListedShortcuts(pass.startMenu, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(pass.startMenu);
  }
  run.ui.SetDetailLine("");
  if (!pass.derivedStartMenu.empty()) {
    sweep.DeleteListedShortcuts(pass.derivedStartMenu, texts::kStartMenuShortcuts);
    sweep.DeleteProgramFolder(pass.derivedStartMenu);
    run.ui.SetDetailLine("");
  }
}
