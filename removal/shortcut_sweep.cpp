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

// An existence test that answers "yes" when it cannot tell, except that a
// path longer than the ANSI calls take is absent.
bool ShortcutMayExist(IWindowsServices& services, const std::string& path) {
  if (FindFile(services, path)) return true;
  const long error = services.LastError();
  return !winerr::IsAbsence(error) && !BeyondAnsiReach(path, error);
}

template <std::size_t N>
void DeleteListedShortcuts(RunContext& run, const std::string& folder,
                           const char* const (&shortcutNames)[N]) {
  PatientCalls patient(run);
  for (const char* name : shortcutNames) {
    const std::string path = folder + "\\" + name;
    // A deletion counts once the name is gone; one already gone is done.
    if (ShortcutMayExist(run.services, path) && !patient.RemoveFile(path, false) &&
        !BeyondAnsiReach(path, patient.LastError()))
      run.failures.push_back(texts::kFileLine + path);
  }
}

}  // namespace

void ShortcutSweep::DeleteDesktopShortcuts(const SweepFolders& pass) {
  for (const std::string* desktop : {&pass.desktop, &pass.derivedDesktop})
    if (!desktop->empty()) DeleteListedShortcuts(m_run, *desktop, texts::kDesktopShortcuts);
}

void ShortcutSweep::DeleteStartMenuShortcuts(const SweepFolders& pass) {
  // A Start menu's shortcuts, then its program folder.
  const auto sweep = [&](const std::string& startMenu) {
    DeleteListedShortcuts(m_run, startMenu, texts::kStartMenuShortcuts);
    const std::string folder = startMenu + texts::kProgramFolderSuffix;
    if (ShortcutMayExist(m_run.services, folder) &&
        !m_folders.ShellDeleteFolder(m_run.ui.MainWindow(), folder))
      m_run.failures.push_back(texts::kFolderLine + folder);
  };
  if (!pass.startMenu.empty()) sweep(pass.startMenu);
  m_run.ui.SetDetailLine("");
  if (!pass.derivedStartMenu.empty()) {
    sweep(pass.derivedStartMenu);
    m_run.ui.SetDetailLine("");
  }
}
