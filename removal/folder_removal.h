// Folders recycled whole through the shell, behind the guard: steps 2 to 4
// and the Start-menu program folders of the shortcut sweep.
#pragma once

#include <string>
#include <vector>

#include "removal/path_guard.h"
#include "removal/run_ui.h"

class FolderRemoval {
 public:
  FolderRemoval(IWindowsServices& services, IRunUi& ui, PathGuard& guard, MachineCodePage& codePage)
      : m_services(services), m_ui(ui), m_guard(guard), m_codePage(codePage) {}

  // Recycles the folder (or file) at `path`. One the guard refuses, one too
  // long for the shell, and one still there after "success" each show
  // "Could not delete: ".
  bool ShellDeleteFolder(WindowHandle owner, const std::string& path);
  // One folder of steps 2 to 4, owned by the main window; one that is left
  // adds its line to `failures`. A folder that is not there is skipped; a
  // protected one is handed to the deletion, which refuses it.
  void DeleteProductFolder(const std::string& folder, std::vector<std::string>& failures);

 private:
  // An existence test that answers "yes" when it cannot tell.
  bool MayExist(const std::string& path);

  IWindowsServices& m_services;
  IRunUi& m_ui;
  PathGuard& m_guard;
  MachineCodePage& m_codePage;
};
