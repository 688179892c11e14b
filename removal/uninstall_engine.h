// The removal run, the student-data backup, the shortcut sweep, the registry
// cleanup and the installation-location logic, on the Windows services and
// the main window's user-interface port.
#pragma once

#include <string>

#include "platform/services.h"
#include "removal/run_ui.h"
#include "removal/uninstall_state.h"

// How a press of the remove button ended.
enum class RunOutcome {
  Declined,  // a confirmation was declined: the main window stays open
  Finished,  // the run ended (report shown or run abandoned): close the main window with IDOK
};

class UninstallEngine {
 public:
  UninstallEngine(IWindowsServices& services, IRunUi& ui, UninstallState& state);

  // Start-up: the installation folder from the registry or the default
  // folder; empty when none is found.
  std::string FindInstallLocation();
  // Start-up: records the version (zeroed first, so a failed query gives 0)
  // and, from major version 5, the logged-on user's name.
  void RecordSystemInfo();
  // The "Browse..." button: folder browser, confirmation, status line,
  // location box and location, in that order.
  void Browse();
  // The remove button. `typedLocation` is the location box's text at the press.
  RunOutcome Run(const std::string& typedLocation);

  // Building blocks, public for their own tests.
  bool ConfirmInstallFolder(const std::string& folder);
  bool ShellDeleteFolder(WindowHandle owner, const std::string& path);
  bool CopyFolderTree(const std::string& source, const std::string& destination);
  bool DeleteFolderTree(std::string& parent, const std::string& name);
  long DeleteRegistryTree(RegKey parent, const std::string& name);

 private:
  IWindowsServices& m_services;
  IRunUi& m_ui;
  UninstallState& m_state;
};
