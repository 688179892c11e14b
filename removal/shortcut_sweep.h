// Steps 5 and 6: the product's desktop and Start-menu shortcuts and its
// Start-menu program folder, for one pair of desktop and Start-menu folders.
#pragma once

#include <string>
#include <vector>

#include "removal/folder_removal.h"
#include "removal/uninstall_state.h"

// Sweeps `desktop`, `startMenu` and, from major version 5, the state's user's
// folders derived from them, skipping empty ones; program folders go through
// `folders`. What is left adds its line to `failures`.
void SweepShortcuts(IWindowsServices& services, IRunUi& ui, FolderRemoval& folders,
                    MachineCodePage& codePage, const UninstallState& state,
                    const std::string& desktop, const std::string& startMenu,
                    std::vector<std::string>& failures);
