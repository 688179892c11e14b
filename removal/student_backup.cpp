#include "removal/student_backup.h"

#include "services/handles.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

bool StudentBackup::BackUpStudentData(const std::string& location, const std::string& userDesktop) {
  // Without a desktop folder the backup would land in a drive root.
  if (!userDesktop.empty()) {
    const std::string backup = userDesktop + "\\" + texts::kBackupName;
    const std::string source =
        WithoutTrailingBackslashes(location, m_run.codePage.Get()) + "\\" + texts::kStudentsName;
    if (FindFile(m_run.services, backup)) {
      // A backup folder that was on the desktop before this run keeps what it
      // held; only what this run added goes, last first, until one fails.
      if (m_copy.CopyInMode(source, backup, FolderCopy::Mode::IntoEarlierBackup)) return true;
      m_run.services.SetCurrentDir(userDesktop);  // so that no folder to be removed is in use
      for (auto made = m_copy.Made().rbegin(); made != m_copy.Made().rend(); ++made)
        if (!(made->second ? m_deletion.RemoveBackupFolder(made->first)
                           : m_deletion.DeleteBackupFile(made->first)))
          break;
    } else if (winerr::IsAbsence(m_run.services.LastError())) {
      // A new backup (none is there; a search that cannot tell fails the copy)
      // is made under the staging name and takes its own name once whole: no
      // run, however it ends, leaves a partial one under it. A staging folder
      // an ended run left never held a whole backup, and is copied over. A
      // whole copy that cannot take its name even after waiting (other programs
      // open the files just written) stays as it is: its name says it is
      // incomplete, and the next run copies over it.
      const std::string staging = userDesktop + "\\" + texts::kBackupStagingName;
      const bool created = m_run.services.MakeDirectory(staging);
      const auto mode = created ? FolderCopy::Mode::IntoNewFolder : FolderCopy::Mode::OverLeftover;
      if (!(created || m_run.services.LastError() == winerr::kAlreadyExists) ||
          !m_copy.CopyInMode(source, staging, mode, backup.size() - staging.size())) {
        m_deletion.DeleteFolderTree(userDesktop, texts::kBackupStagingName);
      } else if (PatientCalls(m_run).Rename(staging, backup, PatientCalls::kStagedRenamePatience)) {
        return true;
      }
    }
  }
  m_run.ui.ShowMessage(texts::kCopyFailed, nullptr, BoxStyle::Ok);
  return false;
}
