// Folders recycled whole through the shell, behind the guard: steps 2 to 4
// and the Start-menu program folders of the shortcut sweep.
#pragma once

#include <string>

#include "removal/path_guard.h"

class FolderRemoval {
 public:
  FolderRemoval(RunContext& run, PathGuard& guard) : m_run(run), m_guard(guard) {}

  // Recycles the folder (or file) at `path`. One the guard refuses, a link,
  // one too long for the shell, and one refused or still there after
  // "success" once another program's brief hold has been waited out each
  // show "Could not delete: ".
  bool ShellDeleteFolder(WindowHandle owner, const std::string& path);
  // One folder of steps 2 to 4, owned by the main window; one that is left
  // adds its line to the failure list. A folder that is not there is skipped;
  // one that the guard protects by its text is refused all the same.
  void DeleteProductFolder(const std::string& folder);

 private:
  // ShellDeleteFolder, with the guard's text check already made.
  bool Recycle(WindowHandle owner, const std::string& path, bool textProtected);
  // An existence test that answers "yes" when it cannot tell.
  bool MayExist(const std::string& path);
  // True when the path itself is a link (a junction, a symbolic link: any
  // reparse point), or when its search cannot tell.
  bool MayBeLink(const std::string& path);

  RunContext& m_run;
  PathGuard& m_guard;
};
