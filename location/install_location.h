// Where the product is installed (found, browsed for, confirmed), where its
// installer keeps its cache, and the system's version and logged-on user,
// recorded at start-up.
#pragma once

#include <string>
#include <vector>

#include "shared/run_context.h"
#include "shared/uninstall_state.h"

// The installation folder from the registry, else the default; empty if none.
std::string FindInstallLocation(IWindowsServices& services);

// The installer's cache folders, in the order step 3 deletes them: under
// the Program Files folder Windows gives this program, where the registry
// names a usable one other than the fixed one; then the fixed path.
std::vector<std::string> FindInstallerCaches(IWindowsServices& services,
                                             const AnsiCodePage& codePage);

// Records the version (a failed query gives 0) and, from major version 5,
// the logged-on user's name.
void RecordSystemInfo(IWindowsServices& services, SystemInfo& state);

// True when `folder` holds MarloCoach.exe, or the user confirms it all the same.
bool ConfirmInstallFolder(RunContext& run, const std::string& folder);

// "Browse...": the folder browser (owned by the main window), confirmation,
// status line, location box and `location`, in that order.
void Browse(RunContext& run, std::string& location);
