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

// Each step sweeps its folders of a pass; program folders go through the
// folder removal. What is left adds its line to the failure list.
class ShortcutSweep {
 public:
  ShortcutSweep(RunContext& run, FolderRemoval& folders) : m_run(run), m_folders(folders) {}

  void DeleteDesktopShortcuts(const SweepFolders& pass);    // step 5
  void DeleteStartMenuShortcuts(const SweepFolders& pass);  // step 6

 private:
  RunContext& m_run;
  FolderRemoval& m_folders;
};
