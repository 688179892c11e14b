#include "removal/folder_removal.h"

#include "removal/patient_calls.h"
#include "services/handles.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

bool FolderRemoval::ShellDeleteFolder(WindowHandle owner, const std::string& path) {
  return Recycle(owner, path, m_guard.IsProtectedText(path));
}

bool FolderRemoval::Recycle(WindowHandle owner, const std::string& path, bool textProtected) {
  char sourceList[kSourceListCapacity];
  // A path that does not fit is refused rather than cut short: a shorter
  // path names another folder. A deletion the shell reports as done counts
  // only if the folder is really gone. A link is never handed to the shell,
  // whose deletion reaches what it leads to.
  bool deleted = false;
  if (!textProtected && !MayBeLink(path) && m_guard.MayRecycle(path) &&
      BuildSourceList(path, sourceList)) {
    // The backup leaves the current directory inside the student data; a
    // folder in use is not recycled whole, so step out of it first.
    std::string parent = ParentFolderOf(path, m_run.codePage.Get());
    if (!parent.empty()) m_run.services.SetCurrentDir(parent);
    // Another program's brief hold on a file inside makes the shell refuse,
    // or leave the folder behind: it is tried again while the hold may last.
    const std::string left = WithoutTrailingBackslashes(path, m_run.codePage.Get());
    PatientCalls patient(m_run);
    deleted = patient.Persist(path, PatientCalls::kOperationPatience, [&] {
      const int result =
          m_run.services.ShellFileOperation(owner, kFoDelete, sourceList, kRecycleFlags);
      if (result != 0) return patient.Judge(result);
      return MayExist(left) ? PatientCalls::Attempt::Held : PatientCalls::Attempt::Done;
    });
  }
  if (!deleted)
    m_run.ui.ShowMessage(texts::kCouldNotDelete + path, texts::kErrorCaption, BoxStyle::Ok);
  return deleted;
}

void FolderRemoval::DeleteProductFolder(const std::string& folder) {
  const bool textProtected = !folder.empty() && m_guard.IsProtectedText(folder);
  if (!folder.empty() && (textProtected || MayExist(folder)) &&
      !Recycle(m_run.ui.MainWindow(), folder, textProtected))
    m_run.failures.push_back(texts::kFolderLine + folder);
  m_run.ui.SetDetailLine("");
}

bool FolderRemoval::MayExist(const std::string& path) {
  return FindFile(m_run.services, path) || !winerr::IsAbsence(m_run.services.LastError());
}

bool FolderRemoval::MayBeLink(const std::string& path) {
  FindData entry;
  if (FindFile(m_run.services, WithoutTrailingBackslashes(path, m_run.codePage.Get()), &entry))
    return (entry.attributes & kAttrReparsePoint) != 0;
  return !winerr::IsAbsence(m_run.services.LastError());
}
