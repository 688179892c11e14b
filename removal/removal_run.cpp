// The remove button: confirmations, the seven steps in their order, the
// deletion of the product's folders and the final report.
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
  DeleteProductFolder(StudentsFolderFor(m_state.m_location));
  m_ui.SetTitleLine(texts::kStep3);
  DeleteProductFolder(texts::kInstallerCache);
  m_ui.SetTitleLine(texts::kStep4);
  DeleteProductFolder(FolderPathOf(m_state.m_location));

  SweepShortcuts(folders.commonDesktop, folders.commonStartMenu);
  SweepShortcuts(folders.userDesktop, folders.userStartMenu);

  UniqueKey registryHolder(m_services);  // closed when the run ends, after the report
  CleanRegistry(registryHolder);

  m_ui.DestroyProgress();
  ShowFinalReport();
  return RunOutcome::Finished;
}

bool UninstallEngine::ConfirmInstallFolder(const std::string& folder) {
  if (FindFile(m_services, WithoutTrailingBackslashes(folder) + texts::kExeName)) return true;
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
  if (!IsProtectedFolder(path, m_protectedFolders) && BuildSourceList(path, sourceList)) {
    // The backup leaves the current directory inside the student data; a
    // folder in use is not recycled whole, so step out of it first.
    std::string parent = ParentFolderOf(path);
    if (!parent.empty()) m_services.SetCurrentDir(parent);
    deleted = m_services.ShellFileOperation(owner, kFoDelete, sourceList, kRecycleFlags) == 0 &&
              !MayExist(WithoutTrailingBackslashes(path));
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

void UninstallEngine::LoadProtectedFolders(const ShellFolders& folders) {
  m_protectedFolders = {folders.commonDesktop, folders.userDesktop, folders.commonStartMenu,
                        folders.userStartMenu};
  std::string buffer;
  for (int folder : kGuardedFolders) {
    m_services.SpecialFolderPath(folder, buffer);
    m_protectedFolders.push_back(buffer);
  }
  m_services.ProfilesDirectory(buffer);
  m_protectedFolders.push_back(buffer);
  AddUserProfiles(m_services, buffer, m_protectedFolders);
  m_protectedLoaded = true;
}

void UninstallEngine::DeleteProductFolder(const std::string& folder) {
  // A protected target goes to the deletion too, which refuses and reports it.
  if (!folder.empty() &&
      (IsProtectedFolder(folder, m_protectedFolders) || MayExist(folder)) &&
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
  static constexpr long kAbsent[] = {
      winerr::kFileNotFound, winerr::kPathNotFound, winerr::kNoMoreFiles,
      winerr::kNotReady,     winerr::kInvalidDrive, winerr::kBadNetPath,
      winerr::kBadNetName,   winerr::kInvalidName,  winerr::kBadPathName,
  };
  for (long absent : kAbsent)
    if (error == absent) return true;
  return false;
}

bool UninstallEngine::MayExist(const std::string& path) {
  return FindFile(m_services, path) || !IsAbsenceError(m_services.LastError());
}
