#include "removal/uninstall_engine.h"

#include "location/install_location.h"
#include "removal/registry_cleanup.h"
#include "removal/shortcut_sweep.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

UninstallEngine::UninstallEngine(IWindowsServices& services, IRunUi& ui, UninstallState& state)
    : m_state(state),
      m_run(services, ui, state.m_failures),
      m_guard(m_run),
      m_folders(m_run, m_guard),
      m_backup(m_run) {}

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

  const ShellFolders folders = ReadShellFolders(m_run.services);
  m_guard.LoadProtectedFolders(folders);

  ui.SetStepText(texts::kStep1);
  ui.CreateProgress();
  ui.SetDetailLine("");
  ui.BringProgressToTop();

  if (m_state.m_saveStudentData && !m_state.m_location.empty() &&
      !m_backup.BackUpStudentData(m_state.m_location, folders.userDesktop)) {
    ui.DestroyProgress();  // the run is abandoned: nothing of the product was touched
    return RunOutcome::Finished;
  }

  ui.SetTitleLine(texts::kStep2);
  m_folders.DeleteProductFolder(StudentsFolderFor(m_state.m_location, m_run.codePage.Get()));
  ui.SetTitleLine(texts::kStep3);
  m_folders.DeleteProductFolder(texts::kInstallerCache);
  ui.SetTitleLine(texts::kStep4);
  m_folders.DeleteProductFolder(FolderPathOf(m_state.m_location, m_run.codePage.Get()));

  SweepShortcuts(m_run, m_folders, m_state, folders.commonDesktop, folders.commonStartMenu);
  SweepShortcuts(m_run, m_folders, m_state, folders.userDesktop, folders.userStartMenu);
  RegistryCleanup registry(m_run);  // its last key is closed when the run ends, after the report
  registry.Clean();

  ui.DestroyProgress();
  ShowFinalReport();
  return RunOutcome::Finished;
}

void UninstallEngine::ShowFinalReport() {
  if (m_state.m_failures.empty()) {
    m_run.ui.ShowMessage(texts::kSuccess, texts::kSuccessCaption, BoxStyle::Ok);
    return;
  }
  std::string report = std::string(texts::kLeftoversHeader) + "\n\n";
  for (const std::string& line : m_state.m_failures) report += line + "\n";
  m_run.ui.ShowMessage(report, nullptr, BoxStyle::Ok);
}
