// Step 7: the product key's subkeys and installation value, and the product's
// uninstall entries, each with everything below it.
#pragma once

#include <string>
#include <vector>

#include "platform/handles.h"
#include "removal/run_ui.h"

// Runs the step; what is left adds its line to `failures`. `holder` keeps
// the step's last key open until the end of the run.
void CleanRegistry(IWindowsServices& services, IRunUi& ui, UniqueKey& holder,
                   std::vector<std::string>& failures);

// Deletes parent\name with every key below it; returns a Windows error code.
long DeleteRegistryTree(IWindowsServices& services, RegKey parent, const std::string& name);
