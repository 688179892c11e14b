// What every step of the run, and the location logic, works with: the
// machine's services, the main window, the machine's code page, the failure
// list and the system's version and user, which the main window owns; and
// the time the run has spent waiting out other programs' brief holds on files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shared/run_ui.h"
#include "shared/uninstall_state.h"

struct RunContext {
  RunContext(IWindowsServices& services, IRunUi& ui, std::vector<std::string>& failures,
             const SystemInfo& system)
      : services(services), ui(ui), codePage(services), failures(failures), system(system) {}
  IWindowsServices& services;
  IRunUi& ui;
  MachineCodePage codePage;
  std::vector<std::string>& failures;
  const SystemInfo& system;
  std::uint32_t heldWaitMs = 0;  // all of this run's waiting, which has a bound
};
