// The remove button: confirmations, the seven steps in their order, the
// deletion of the product's folders and the final report.
#include <set>

#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/error_codes.h"
#include "removal/path_rules.h"
#include "removal/uninstall_engine.h"

namespace {

// Folders that hold the system, the programs or the users' files.
constexpr int kGuardedFolders[] = {
    csidl::kWindows,     csidl::kSystem,   csidl::kProgramFiles,  csidl::kProgramFilesX86,
    csidl::kProgramFilesCommon, csidl::kProfile, csidl::kPersonal, csidl::kAppData,
    csidl::kCommonAppData,
};

// The native Program Files folders of 64-bit Windows.
constexpr const char* kNativeProgramFolderVariables[] = {"ProgramW6432", "CommonProgramW6432"};

// Every user's profile is protected, not only the current user's: the
// folders that stand in the folder that holds the profiles.
void AddUserProfiles(IWindowsServices& services, const std::string& profilesFolder,
                     std::vector<std::string>& protectedFolders) {
  if (profilesFolder.empty()) return;
  UniqueFind find(services);
  FindData entry;
  if (!find.First(profilesFolder + "\\*", entry)) return;
  do {
    if ((entry.attributes & kAttrDirectory) != 0 && entry.name != "." && entry.name != "..")
      protectedFolders.push_back(profilesFolder + "\\" + entry.name);
  } while (find.Next(entry));
}

}  // namespace

UninstallEngine::UninstallEngine(IWindowsServices& services, IRunUi& ui, UninstallState& state)
    : m_services(services), m_ui(ui), m_state(state) {}

RunOutcome UninstallEngine::Run(const std::string& typedLocation) {
  if (m_busy) return RunOutcome::Busy;
  BusyScope busy(m_busy);
  return RunOnce(typedLocation);
}

RunOutcome UninstallEngine::RunOnce(const std::string& typedLocation) {
  // A typed folder is a new candidate only while a location is known.
  if (!m_state.m_location.empty() && typedLocation != m_state.m_location) {
    if (!ConfirmInstallFolder(typedLocation)) return RunOutcome::Declined;
    m_ui.SetStatusText(texts::kTypedFolderStatus);
    m_state.m_location = typedLocation;
  }
  m_state.m_failures.clear();
  if (m_ui.ShowMessage(texts::kPatience, "", BoxStyle::OkCancel) == BoxAnswer::Cancel)
    return RunOutcome::Declined;

  const ShellFolders folders = ReadShellFolders();
  LoadProtectedFolders(folders);

  m_ui.SetStepText(texts::kStep1);
  m_ui.CreateProgress();
  m_ui.SetDetailLine("");
  m_ui.BringProgressToTop();

  if (m_state.m_saveStudentData && !m_state.m_location.empty() &&
      !BackUpStudentData(folders.userDesktop)) {
    m_ui.DestroyProgress();  // the run is abandoned: nothing of the product was touched
    return RunOutcome::Finished;
  }

  m_ui.SetTitleLine(texts::kStep2);
  DeleteProductFolder(StudentsFolderFor(m_state.m_location, CodePage()));
  m_ui.SetTitleLine(texts::kStep3);
  DeleteProductFolder(texts::kInstallerCache);
  m_ui.SetTitleLine(texts::kStep4);
  DeleteProductFolder(FolderPathOf(m_state.m_location, CodePage()));

  SweepShortcuts(folders.commonDesktop, folders.commonStartMenu);
  SweepShortcuts(folders.userDesktop, folders.userStartMenu);

  UniqueKey registryHolder(m_services);  // closed when the run ends, after the report
  CleanRegistry(registryHolder);

  m_ui.DestroyProgress();
  ShowFinalReport();
  return RunOutcome::Finished;
}

bool UninstallEngine::ConfirmInstallFolder(const std::string& folder) {
  if (FindFile(m_services, WithoutTrailingBackslashes(folder, CodePage()) + texts::kExeName))
    return true;
  return m_ui.ShowMessage(texts::kConfirmLocation, texts::kConfirmCaption, BoxStyle::YesNo) ==
         BoxAnswer::Yes;
}

bool UninstallEngine::ShellDeleteFolder(WindowHandle owner, const std::string& path) {
  if (!m_protectedLoaded) LoadProtectedFolders(ReadShellFolders());
  char sourceList[kSourceListCapacity];
  // A path that does not fit is refused rather than cut short: a shorter
  // path names another folder. A deletion the shell reports as done counts
  // only if the folder is really gone.
  bool deleted = false;
  if (MayRecycle(path) && BuildSourceList(path, sourceList)) {
    // The backup leaves the current directory inside the student data; a
    // folder in use is not recycled whole, so step out of it first.
    std::string parent = ParentFolderOf(path, CodePage());
    if (!parent.empty()) m_services.SetCurrentDir(parent);
    deleted = m_services.ShellFileOperation(owner, kFoDelete, sourceList, kRecycleFlags) == 0 &&
              !MayExist(WithoutTrailingBackslashes(path, CodePage()));
  }
  if (!deleted)
    m_ui.ShowMessage(texts::kCouldNotDelete + path, texts::kErrorCaption, BoxStyle::Ok);
  return deleted;
}

UninstallEngine::ShellFolders UninstallEngine::ReadShellFolders() {
  ShellFolders folders;
  std::string buffer;  // emptied by every call, so a failed call gives empty text
  m_services.SpecialFolderPath(csidl::kCommonDesktopDirectory, buffer);
  folders.commonDesktop = buffer;
  m_services.SpecialFolderPath(csidl::kDesktopDirectory, buffer);
  folders.userDesktop = buffer;
  m_services.SpecialFolderPath(csidl::kCommonStartMenu, buffer);
  folders.commonStartMenu = buffer;
  m_services.SpecialFolderPath(csidl::kStartMenu, buffer);
  folders.userStartMenu = buffer;
  return folders;
}

const AnsiCodePage& UninstallEngine::CodePage() {
  if (!m_codePageLoaded) m_codePage = m_services.CodePage();
  m_codePageLoaded = true;
  return m_codePage;
}

std::string UninstallEngine::ResolvedPath(const std::string& path, bool& expanded) {
  expanded = false;
  std::string full;
  if (!m_services.FullPathName(path, full)) return std::string();
  std::string longPath;
  if (m_services.LongPathName(full, longPath)) {
    expanded = true;
    return longPath;
  }
  // A path that is not there has no other spelling to expand.
  expanded = IsAbsenceError(m_services.LastError());
  return full;
}

void UninstallEngine::AddProtectedIdentities(const std::string& folder,
                                             std::set<std::string>& seen) {
  // The folder and every folder that holds it, up to its drive's root.
  for (std::string path = folder; !path.empty(); path = ParentFolderOf(path, CodePage())) {
    if (!seen.insert(ComparablePath(path, CodePage())).second) return;
    FileIdentity identity;
    if (m_services.IdentityOf(path, identity)) m_protectedIdentities.insert(identity);
    if (IsRootPath(path, CodePage())) return;
  }
}

bool UninstallEngine::IsGuarded(const std::string& target) {
  if (IsProtectedFolder(target, m_protectedFolders, CodePage())) return true;
  // Other spellings of a protected folder: its short name, "a\..\b", and any
  // path that reaches the same object. A path the system cannot make whole
  // or long cannot be told apart from a protected folder: where identities
  // cannot be had (9x, some network drives), the long path is all there is.
  bool expanded = false;
  std::string resolved = ResolvedPath(target, expanded);
  if (!expanded || resolved.empty() || IsProtectedFolder(resolved, m_protectedFolders, CodePage()))
    return true;
  FileIdentity identity;
  return m_services.IdentityOf(target, identity) && m_protectedIdentities.count(identity) != 0;
}

bool UninstallEngine::MayRecycle(const std::string& path) {
  if (!m_protectedLoaded) LoadProtectedFolders(ReadShellFolders());
  if (IsGuarded(path)) return false;
  // The undo flag recycles only on a fixed drive; anywhere else the shell
  // deletes for good, and what it deletes there was never backed up.
  std::string full;
  if (!m_services.FullPathName(path, full) || full.size() < 2 || full[1] != ':') return false;
  return m_services.DriveType(full.substr(0, 2) + "\\") == kDriveFixed;
}

void UninstallEngine::LoadProtectedFolders(const ShellFolders& folders) {
  m_protectedFolders = {folders.commonDesktop, folders.userDesktop, folders.commonStartMenu,
                        folders.userStartMenu};
  std::string buffer;
  for (int folder : kGuardedFolders) {
    m_services.SpecialFolderPath(folder, buffer);
    m_protectedFolders.push_back(buffer);
  }
  // A 32-bit program on 64-bit Windows is shown the x86 folders for both
  // Program Files queries; the native ones are named only by these.
  for (const char* variable : kNativeProgramFolderVariables) {
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

void UninstallEngine::DeleteProductFolder(const std::string& folder) {
  // A protected target goes to the deletion too, which refuses and reports it.
  if (!folder.empty() &&
      (IsProtectedFolder(folder, m_protectedFolders, CodePage()) || MayExist(folder)) &&
      !ShellDeleteFolder(m_ui.MainWindow(), folder)) {
    m_state.m_failures.push_back(texts::kFolderLine + folder);
  }
  m_ui.SetDetailLine("");
}

void UninstallEngine::ShowFinalReport() {
  if (m_state.m_failures.empty()) {
    m_ui.ShowMessage(texts::kSuccess, texts::kSuccessCaption, BoxStyle::Ok);
    return;
  }
  std::string report = std::string(texts::kLeftoversHeader) + "\n\n";
  for (const std::string& line : m_state.m_failures) report += line + "\n";
  m_ui.ShowMessage(report, nullptr, BoxStyle::Ok);
}

bool UninstallEngine::IsAbsenceError(long error) {
  // Only answers that the folder is not there. A drive that is not ready
  // (21), a network path or share that cannot be reached (53, 67), a drive
  // letter that is not mapped now (15) and every other failure cannot tell:
  // the folder may well exist. A malformed name (123, 161) names nothing that
  // could exist.
  static constexpr long kAbsent[] = {
      winerr::kFileNotFound, winerr::kPathNotFound, winerr::kNoMoreFiles,
      winerr::kInvalidName,  winerr::kBadPathName,
  };
  for (long absent : kAbsent)
    if (error == absent) return true;
  return false;
}

bool UninstallEngine::MayExist(const std::string& path) {
  return FindFile(m_services, path) || !IsAbsenceError(m_services.LastError());
}
