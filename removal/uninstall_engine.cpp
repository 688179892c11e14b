#include "removal/uninstall_engine.h"

#include "location/install_location.h"
#include "removal/engine_texts.h"
#include "removal/path_rules.h"
#include "removal/registry_cleanup.h"
#include "removal/shortcut_sweep.h"

UninstallEngine::UninstallEngine(IWindowsServices& services, IRunUi& ui, UninstallState& state)
    : m_services(services),
      m_ui(ui),
      m_state(state),
      m_codePage(services),
      m_guard(services, m_codePage),
      m_folders(services, ui, m_guard, m_codePage),
      m_backup(services, ui, m_codePage) {}

void UninstallEngine::Browse() {
  if (m_busy) return;
  m_busy = true;
  ::Browse(m_services, m_ui, m_codePage, m_state);
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
  // A typed folder is a new candidate only while a location is known.
  if (!m_state.m_location.empty() && typedLocation != m_state.m_location) {
    if (!ConfirmInstallFolder(m_services, m_ui, m_codePage, typedLocation))
      return RunOutcome::Declined;
    m_ui.SetStatusText(texts::kTypedFolderStatus);
    m_state.m_location = typedLocation;
  }
  m_state.m_failures.clear();
  if (m_ui.ShowMessage(texts::kPatience, "", BoxStyle::OkCancel) == BoxAnswer::Cancel)
    return RunOutcome::Declined;

  const ShellFolders folders = ReadShellFolders(m_services);
  m_guard.LoadProtectedFolders(folders);

  m_ui.SetStepText(texts::kStep1);
  m_ui.CreateProgress();
  m_ui.SetDetailLine("");
  m_ui.BringProgressToTop();

  if (m_state.m_saveStudentData && !m_state.m_location.empty() &&
      !m_backup.BackUpStudentData(m_state.m_location, folders.userDesktop)) {
    m_ui.DestroyProgress();  // the run is abandoned: nothing of the product was touched
    return RunOutcome::Finished;
  }

  std::vector<std::string>& failures = m_state.m_failures;
  m_ui.SetTitleLine(texts::kStep2);
  m_folders.DeleteProductFolder(StudentsFolderFor(m_state.m_location, m_codePage.Get()), failures);
  m_ui.SetTitleLine(texts::kStep3);
  m_folders.DeleteProductFolder(texts::kInstallerCache, failures);
  m_ui.SetTitleLine(texts::kStep4);
  m_folders.DeleteProductFolder(FolderPathOf(m_state.m_location, m_codePage.Get()), failures);

  SweepShortcuts(m_services, m_ui, m_folders, m_codePage, m_state, folders.commonDesktop,
                 folders.commonStartMenu, failures);
  SweepShortcuts(m_services, m_ui, m_folders, m_codePage, m_state, folders.userDesktop,
                 folders.userStartMenu, failures);
  UniqueKey registryHolder(m_services);  // closed when the run ends, after the report
  CleanRegistry(m_services, m_ui, registryHolder, failures);

  m_ui.DestroyProgress();
  ShowFinalReport();
  return RunOutcome::Finished;
}

void UninstallEngine::ShowFinalReport() {
  if (m_state.m_failures.empty()) {
    m_ui.ShowMessage(texts::kSuccess, texts::kSuccessCaption, BoxStyle::Ok);
    return;
  }
  std::string report = std::string(texts::kLeftoversHeader) + "\n\n";
  for (const std::string& line : m_state.m_failures) report += line + "\n";
  m_ui.ShowMessage(report, nullptr, BoxStyle::Ok);
}
