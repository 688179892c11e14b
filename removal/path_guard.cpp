#include "removal/path_guard.h"

#include "services/handles.h"
#include "shared/path_rules.h"

namespace {

// Folders that hold the system, the programs or the users' files.
constexpr int kGuardedFolders[] = {
    csidl::kWindows, csidl::kSystem, csidl::kProgramFiles, csidl::kProgramFilesX86,
    csidl::kProgramFilesCommon, csidl::kProfile, csidl::kPersonal, csidl::kAppData,
    csidl::kCommonAppData};

// Every user's profile is protected, not only the current user's: the
// folders that stand in the folder that holds the profiles.
void AddUserProfiles(IWindowsServices& services, const std::string& profilesFolder,
                     std::vector<std::string>& protectedFolders) {
  if (profilesFolder.empty()) return;
  WalkFolder(services, profilesFolder + "\\*", [&](const FindData& entry) {
    if ((entry.attributes & kAttrDirectory) != 0)
      protectedFolders.push_back(profilesFolder + "\\" + entry.name);
    return true;
  });
}

}  // namespace

ShellFolders ReadShellFolders(IWindowsServices& services) {
  ShellFolders folders;  // each call empties its text, so a failed call gives empty text
  services.SpecialFolderPath(csidl::kCommonDesktopDirectory, folders.commonDesktop);
  services.SpecialFolderPath(csidl::kDesktopDirectory, folders.userDesktop);
  services.SpecialFolderPath(csidl::kCommonStartMenu, folders.commonStartMenu);
  services.SpecialFolderPath(csidl::kStartMenu, folders.userStartMenu);
  return folders;
}

std::string PathGuard::ResolvedPath(const std::string& path, bool& expanded) {
  expanded = false;
  std::string full;
  if (!m_services.FullPathName(path, full)) return std::string();
  std::string longPath;
  const bool found = m_services.LongPathName(full, longPath);
  // A path that is not there has no other spelling to expand.
  expanded = found || winerr::IsAbsence(m_services.LastError());
  return found ? longPath : full;
}

void PathGuard::AddProtectedIdentities(const std::string& folder, std::set<std::string>& seen) {
  const AnsiCodePage& codePage = m_codePage.Get();
  // The folder and every folder that holds it, up to its drive's root.
  for (std::string path = folder; !path.empty(); path = ParentFolderOf(path, codePage)) {
    if (!seen.insert(ComparablePath(path, codePage)).second) return;
    FileIdentity identity;
    if (m_services.IdentityOf(path, identity)) m_protectedIdentities.insert(identity);
    if (IsRootPath(path, codePage)) return;
  }
}

bool PathGuard::IsProtectedText(const std::string& target) {
  if (!m_protectedLoaded) LoadProtectedFolders(ReadShellFolders(m_services));
  return IsProtectedFolder(target, m_protectedFolders, m_codePage.Get());
}

bool PathGuard::IsGuarded(const std::string& target) {
  // Other spellings of a protected folder: its short name, "a\..\b", and any
  // path that reaches the same object. A path the system cannot make whole
  // or long cannot be told apart from a protected folder: where identities
  // cannot be had (9x, some network drives), the long path is all there is.
  bool expanded = false;
  std::string resolved = ResolvedPath(target, expanded);
  if (!expanded || resolved.empty() || IsProtectedText(resolved)) return true;
  FileIdentity identity;
  return m_services.IdentityOf(target, identity) && m_protectedIdentities.count(identity) != 0;
}

bool PathGuard::MayRecycle(const std::string& path) {
  if (IsGuarded(path)) return false;
  // The undo flag recycles only on a fixed drive; anywhere else the shell
  // deletes for good, and what it deletes there was never backed up.
  std::string full;
  if (!m_services.FullPathName(path, full) || full.size() < 2 || full[1] != ':') return false;
  return m_services.DriveType(full.substr(0, 2) + "\\") == kDriveFixed;
}

void PathGuard::LoadProtectedFolders(const ShellFolders& folders) {
  m_protectedFolders = {folders.commonDesktop, folders.userDesktop, folders.commonStartMenu,
                        folders.userStartMenu};
  std::string buffer;
  for (int folder : kGuardedFolders) {
    m_services.SpecialFolderPath(folder, buffer);
    m_protectedFolders.push_back(buffer);
  }
  // A 32-bit program on 64-bit Windows is shown the x86 folders for both
  // Program Files queries; the native ones are named only by these variables.
  for (const char* variable : {"ProgramW6432", "CommonProgramW6432"}) {
    m_services.EnvironmentVariable(variable, buffer);
    m_protectedFolders.push_back(buffer);
  }
  m_services.ProfilesDirectory(buffer);
  m_protectedFolders.push_back(buffer);
  AddUserProfiles(m_services, buffer, m_protectedFolders);
  // Each folder also as the system resolves it, and by identity.
  m_protectedIdentities.clear();
  std::set<std::string> seen;
  const std::size_t given = m_protectedFolders.size();
  for (std::size_t i = 0; i < given; ++i) {
    if (m_protectedFolders[i].empty()) continue;
    bool expanded = false;  // a folder that cannot be expanded still counts in its full form
    std::string resolved = ResolvedPath(m_protectedFolders[i], expanded);
    if (resolved.empty()) continue;
    m_protectedFolders.push_back(resolved);
    AddProtectedIdentities(resolved, seen);
  }
  m_protectedLoaded = true;
}
