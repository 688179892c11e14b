// The main window's engine: "Browse..." and the removal run, which titles
// the steps and runs them in their fixed order; each adds its lines to the
// failure list that the main window owns.
#pragma once

#include <string>
#include <vector>

#include "removal/folder_removal.h"
#include "removal/registry_cleanup.h"
#include "removal/shortcut_sweep.h"
#include "removal/student_backup.h"
#include "shared/uninstall_state.h"

// How a press of the remove button ended.
enum class RunOutcome {
  Declined,  // a confirmation was declined: the main window stays open
  Finished,  // the run ended (report shown or run abandoned): close the main window with IDOK
  Busy,      // a run or a browse was already in progress: nothing was done
};

class UninstallEngine {
 public:
  UninstallEngine(IWindowsServices& services, IRunUi& ui, UninstallState& state);

  // The "Browse..." button; nothing while a run or another browse is on.
  void Browse();
  // The remove button, with the location box's text. A press from a message
  // loop of a run or a browse (boxes, the browser) gives Busy, doing nothing.
  RunOutcome Run(const std::string& typedLocation);
  bool IsBusy() const { return m_busy; }

 private:
  RunOutcome RunOnce(const std::string& typedLocation);
  // "Success!" or the lines left once those naming what is gone are dropped.
  void ShowFinalReport(const std::vector<std::string>& unreachable);

  UninstallState& m_state;
  RunContext m_run;
  // The guard and the steps, each built from the run's context.
  PathGuard m_guard{m_run};
  FolderRemoval m_folders{m_run, m_guard};
  StudentBackup m_backup{m_run};
  ShortcutSweep m_sweep{m_run, m_folders};
  RegistryCleanup m_registry{m_run};
  bool m_busy = false;  // a run or a browse is in progress
};
