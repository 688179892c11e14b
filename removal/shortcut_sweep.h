// Steps 5 and 6: the product's desktop and Start-menu shortcuts and its
// Start-menu program folder, for one pair of desktop and Start-menu folders.
#pragma once

#include <string>

#include "removal/folder_removal.h"

// The folders of one pass: a desktop and a Start menu, and the per-user
// folders derived from them (major version 5 and later); empty ones are skipped.
struct SweepFolders {
  std::string desktop;
  std::string derivedDesktop;
  std::string startMenu;
  std::string derivedStartMenu;
};

// Sweeps the pass's folders; program folders go through `folders`. What is
// left adds its line to the failure list.
void SweepShortcuts(RunContext& run, FolderRemoval& folders, const SweepFolders& pass);
