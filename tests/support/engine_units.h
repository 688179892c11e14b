// The removal's steps on one machine and one main window, for the tests and
// benchmarks that call them one by one rather than through a run.
#pragma once

#include "removal/folder_copy.h"
#include "removal/folder_removal.h"
#include "removal/path_guard.h"
#include "removal/tree_deletion.h"

struct EngineUnits {
  EngineUnits(IWindowsServices& services, IRunUi& ui)
      : run(services, ui, state.m_failures, state), guard(run), folders(run, guard), copy(run),
        deletion(run) {}
  UninstallState state;  // the failure list; no version, no user
  RunContext run;
  PathGuard guard;
  FolderRemoval folders;
  FolderCopy copy;
  TreeDeletion deletion;
};
