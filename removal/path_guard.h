// The guard in front of every folder the shell recycles (steps 2 to 4 and the
// Start-menu program folders): the system's, the programs' and the users'
// folders, known by text, by long path and by identity. The shortcut files and
// what the backup's rollback deletes are deleted by name, without it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "shared/run_context.h"

// The four shell folders that one run reads.
struct ShellFolders {
  std::string commonDesktop;
  std::string userDesktop;
  std::string commonStartMenu;
  std::string userStartMenu;
};

// The shared and own desktops and Start menus; empty where the shell has none.
ShellFolders ReadShellFolders(IWindowsServices& services);

class PathGuard {
 public:
  explicit PathGuard(RunContext& run) : m_services(run.services), m_codePage(run.codePage) {}

  // Reads the protected folders (once per run): `folders`, the system's
  // special folders, the native Program Files folders, every user profile.
  void LoadProtectedFolders(const ShellFolders& folders);
  // True when `target` is or holds a protected folder by its text alone.
  // Loads the protected folders when no run has.
  bool IsProtectedText(const std::string& target);
  // For a path whose text passed: true when the shell may recycle it, no
  // other spelling of it being guarded, and it lies on a fixed drive.
  bool MayRecycle(const std::string& path);

 private:
  // The full long path of `path`, else its full path, else empty. `expanded`
  // is false when the long path failed for another reason than absence.
  std::string ResolvedPath(const std::string& path, bool& expanded);
  // Records the identities of `folder` and of every folder that holds it.
  void AddProtectedIdentities(const std::string& folder, std::set<std::string>& seen);
  // True when deleting `target` could delete a protected folder by another spelling.
  bool IsGuarded(const std::string& target);

  IWindowsServices& m_services;
  MachineCodePage& m_codePage;
  // As the system names them and as it resolves them.
  std::vector<std::string> m_protectedFolders;
  // The identities of those folders and of every folder that holds one.
  std::set<FileIdentity> m_protectedIdentities;
  bool m_protectedLoaded = false;
};
