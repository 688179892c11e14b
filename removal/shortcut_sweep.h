// Steps 5 and 6: the product's desktop and Start-menu shortcuts and its
// Start-menu program folder, for one pair of desktop and Start-menu folders.
#pragma once

#include <string>

#include "removal/folder_removal.h"
#include "shared/uninstall_state.h"

// Sweeps `desktop`, `startMenu` and, from major version 5, the state's user's
// folders derived from them, skipping empty ones; program folders go through
// `folders`. What is left adds its line to the failure list.
void SweepShortcuts(RunContext& run, FolderRemoval& folders, const UninstallState& state,
                    const std::string& desktop, const std::string& startMenu);
