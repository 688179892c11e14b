// The guard in front of every deletion by path: the folders that hold the
// system, the programs and the users' files, known by their text, by the
// long path the system makes of them and by identity.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/services.h"

// The four shell folders that one run reads.
struct ShellFolders {
  std::string commonDesktop;
  std::string userDesktop;
  std::string commonStartMenu;
  std::string userStartMenu;
};

// The desktops and Start menus of all users and of the current user; a
// folder the shell cannot supply is empty.
ShellFolders ReadShellFolders(IWindowsServices& services);

class PathGuard {
 public:
  PathGuard(IWindowsServices& services, MachineCodePage& codePage)
      : m_services(services), m_codePage(codePage) {}

  // Reads the protected folders (once per run): `folders`, the system's
  // special folders, the native Program Files folders, every user profile.
  void LoadProtectedFolders(const ShellFolders& folders);
  // True when `target` is or holds a protected folder by its text alone.
  bool IsProtectedText(const std::string& target);
  // True when the shell may recycle `path`: not guarded, and on a fixed
  // drive. Loads the protected folders when no run has.
  bool MayRecycle(const std::string& path);

 private:
  // The full long path the system makes of `path`; the full path when the
  // long path cannot be made; empty when not even the full path can be made.
  // `expanded` is false when the long path failed for another reason than
  // the path's absence.
  std::string ResolvedPath(const std::string& path, bool& expanded);
  // Records the identities of `folder` and of every folder that holds it.
  void AddProtectedIdentities(const std::string& folder, std::set<std::string>& seen);
  // True when deleting `target` could delete a protected folder, however spelt.
  bool IsGuarded(const std::string& target);

  IWindowsServices& m_services;
  MachineCodePage& m_codePage;
  // As the system names them and as it resolves them.
  std::vector<std::string> m_protectedFolders;
  // The identities of those folders and of every folder that holds one.
  std::set<FileIdentity> m_protectedIdentities;
  bool m_protectedLoaded = false;
};
