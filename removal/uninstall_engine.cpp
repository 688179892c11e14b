#include "removal/uninstall_engine.h"

#include "location/install_location.h"
#include "removal/shell_folders.h"
#include "services/handles.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

#include <algorithm>
#include <cstring>

namespace {

// Every step's title, in the order the run shows them; the shortcut steps
// come once for each pass.
constexpr const char* kTitles[] = {texts::kStep1, texts::kStep2, texts::kStep3, texts::kStep4,
                                   texts::kStep5, texts::kStep6, texts::kStep5, texts::kStep6,
                                   texts::kStep7};

// True when `line` names a file or folder by a full path on a drive that its
// search says is certainly not there: it went with the folder that held it
// after the line was made. A relative, network or device path, a root, a
// wildcard and a path whose search cannot tell are taken as still there.
bool NamesAGonePath(IWindowsServices& services, const AnsiCodePage& codePage,
                    const std::string& line) {
  std::string path;
  for (const char* prefix : {texts::kFileLine, texts::kFolderLine})
    if (line.compare(0, std::strlen(prefix), prefix) == 0)
      path = WithoutTrailingBackslashes(line.substr(std::strlen(prefix)), codePage);
  const bool onDrive = path.size() > 2 && path[1] == ':' && path[2] == '\\';
  return onDrive && !IsRootPath(path, codePage) && path.find_first_of("*?") == std::string::npos &&
         !FindFile(services, path) && winerr::IsAbsence(services.LastError());
}

}  // namespace

UninstallEngine::UninstallEngine(IWindowsServices& services, IRunUi& ui, UninstallState& state)
    : m_state(state), m_run(services, ui, state.m_failures, state) {}

void UninstallEngine::Browse() {
  if (m_busy) return;
  m_busy = true;
  ::Browse(m_run, m_state.m_location);
  m_busy = false;
}

RunOutcome UninstallEngine::Run(const std::string& typedLocation) {
  if (m_busy) return RunOutcome::Busy;
  m_busy = true;
  const RunOutcome outcome = RunOnce(typedLocation);
  m_busy = false;
  return outcome;
}

RunOutcome UninstallEngine::RunOnce(const std::string& typedLocation) {
  IRunUi& ui = m_run.ui;
  // A typed folder is a new candidate only while a location is known.
  if (!m_state.m_location.empty() && typedLocation != m_state.m_location) {
    if (!ConfirmInstallFolder(m_run, typedLocation)) return RunOutcome::Declined;
    ui.SetStatusText(texts::kTypedFolderStatus);
    m_state.m_location = typedLocation;
  }
  m_state.m_failures.clear();
  m_run.heldWaitMs = 0;
  if (ui.ShowMessage(texts::kPatience, "", BoxStyle::OkCancel) == BoxAnswer::Cancel)
    return RunOutcome::Declined;

  const RunFolders folders = ReachRunFolders(m_run);
  m_guard.LoadProtectedFolders(folders.guarded);
  m_state.m_failures = folders.unreachable;

  const char* const* title = kTitles;
  ui.SetStepText(*title++);
  ui.CreateProgress();
  ui.SetDetailLine("");
  ui.BringProgressToTop();

  if (m_state.m_saveStudentData && !m_state.m_location.empty() &&
      !m_backup.BackUpStudentData(m_state.m_location, folders.user.desktop)) {
    ui.DestroyProgress();  // the run is abandoned: nothing of the product was touched
    return RunOutcome::Finished;
  }

  ui.SetTitleLine(*title++);
  m_folders.DeleteProductFolder(StudentsFolderFor(m_state.m_location, m_run.codePage.Get()));
  ui.SetTitleLine(*title++);
  for (const std::string& cache : FindInstallerCaches(m_run.services, m_run.codePage.Get()))
    m_folders.DeleteProductFolder(cache);
  ui.SetTitleLine(*title++);
  m_folders.DeleteProductFolder(FolderPathOf(m_state.m_location, m_run.codePage.Get()));

  for (const SweepFolders* pass : {&folders.common, &folders.user}) {
    ui.SetTitleLine(*title++);
    m_sweep.DeleteDesktopShortcuts(*pass);
    ui.SetTitleLine(*title++);
    m_sweep.DeleteStartMenuShortcuts(*pass);
  }
  ui.SetTitleLine(*title++);
  m_registry.Clean();

  ui.DestroyProgress();
  ShowFinalReport(folders.unreachable);
  m_registry.Release();  // the step's last key stays open until the report is gone
  return RunOutcome::Finished;
}

void UninstallEngine::ShowFinalReport(const std::vector<std::string>& unreachable) {
  // The report names what is still there, in the order the lines were made;
  // a folder that no spelling reaches cannot be looked up, and stays.
  std::vector<std::string>& lines = m_state.m_failures;
  const auto gone = [&](const std::string& line) {
    return std::count(unreachable.begin(), unreachable.end(), line) == 0 &&
           NamesAGonePath(m_run.services, m_run.codePage.Get(), line);
  };
  lines.erase(std::remove_if(lines.begin(), lines.end(), gone), lines.end());
  if (m_state.m_failures.empty()) {
    m_run.ui.ShowMessage(texts::kSuccess, texts::kSuccessCaption, BoxStyle::Ok);
    return;
  }
  std::string report = std::string(texts::kLeftoversHeader) + "\n\n";
  for (const std::string& line : m_state.m_failures) report += line + "\n";
  m_run.ui.ShowMessage(report, nullptr, BoxStyle::Ok);
}
