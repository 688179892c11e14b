#include "removal/student_backup.h"

#include "services/handles.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

namespace {

// The longest paths the ANSI calls take on Windows: 259 characters for a
// file and 248 for a folder (room for an 8.3 name inside it). Wine takes 260
// and even makes longer copy targets, which its own calls then cannot name
// again; the copy keeps within what both can delete in a rollback.
constexpr std::size_t kMaxFolderPath = 248;

bool IsFolder(const FindData& entry) { return (entry.attributes & kAttrDirectory) != 0; }

bool IsLinkedFolder(const FindData& entry) {
  return IsFolder(entry) && (entry.attributes & kAttrReparsePoint) != 0;
}

bool IsExistingFile(IWindowsServices& services, const std::string& path) {
  UniqueFind find(services);
  FindData entry;
  return find.First(path, entry) && !IsFolder(entry);
}

bool IsEmptyFolder(IWindowsServices& services, const std::string& folder,
                   const AnsiCodePage& codePage) {
  return WalkFolder(services, WithSingleSeparators(folder + "\\*", codePage),
                    [](const FindData&) { return false; }) == WalkEnd::Complete;
}

}  // namespace

bool StudentBackup::BackUpStudentData(const std::string& location, const std::string& userDesktop) {
  // Without a desktop folder the backup would land in a drive root.
  if (!userDesktop.empty()) {
    const std::string backup = userDesktop + "\\" + texts::kBackupName;
    const std::string source =
        WithoutTrailingBackslashes(location, m_codePage.Get()) + "\\" + texts::kStudentsName;
    if (FindFile(m_services, backup)) {
      // A backup folder that was on the desktop before this run keeps what it
      // held; only what this run added goes.
      if (StartCopy(backup, CopyMode::IntoEarlierBackup) && CopyTree(source, backup)) return true;
      UndoCopy(userDesktop);
    } else if (winerr::IsAbsence(m_services.LastError())) {
      // A new backup (none is there; a search that cannot tell fails the
      // copy) is made under the staging name and takes its own name once
      // whole: no run, however it ends, leaves a partial one under it.
      // A staging folder an ended run left never held a whole backup, and is
      // copied over.
      // A whole copy that cannot take its name even after waiting (other
      // programs open the files just written) stays as it is: its name says
      // it is incomplete, and the next run copies over it.
      const std::string staging = userDesktop + "\\" + texts::kBackupStagingName;
      const bool created = m_services.MakeDirectory(staging);
      if (!(created || m_services.LastError() == winerr::kAlreadyExists) ||
          !StartCopy(staging, created ? CopyMode::IntoNewFolder : CopyMode::OverLeftover,
                     backup.size() - staging.size()) ||
          !CopyTree(source, staging)) {
        std::string parent = userDesktop;
        DeleteFolderTree(parent, texts::kBackupStagingName);
      } else if (m_patient.Rename(staging, backup, PatientCalls::kStagedRenamePatience)) {
        return true;
      }
    }
  }
  m_ui.ShowMessage(texts::kCopyFailed, nullptr, BoxStyle::Ok);
  return false;
}

bool StudentBackup::CopyFolderTree(const std::string& source, const std::string& destination) {
  const bool empty = IsEmptyFolder(m_services, destination, m_codePage.Get());
  return StartCopy(destination, empty ? CopyMode::IntoNewFolder : CopyMode::IntoEarlierBackup) &&
         CopyTree(source, destination);
}

bool StudentBackup::StartCopy(const std::string& destination, CopyMode mode,
                              std::size_t renamedLonger) {
  m_made.clear();
  m_madeKeys.clear();
  m_keptKeys.clear();
  m_root = destination;
  m_temporary = destination + "\\" + texts::kCopyTemporaryName;
  m_mode = mode;
  m_renamedLonger = renamedLonger;
  // A temporary file that an ended run left is never a student file (none
  // is copied under its name at the top): it goes.
  if (mode != CopyMode::IntoEarlierBackup || !IsExistingFile(m_services, m_temporary)) return true;
  return m_patient.RemoveFile(m_temporary, true);
}

bool StudentBackup::CopyTree(const std::string& source, const std::string& destination) {
  if (!m_services.SetCurrentDir(source)) return false;
  // A search that stops for any other reason than its end missed entries.
  return WalkFolder(m_services, source + "\\*", [&](const FindData& entry) {
           return CopyEntry(source, destination, entry);
         }) == WalkEnd::Complete;
}

bool StudentBackup::CopyEntry(const std::string& source, const std::string& destination,
                              const FindData& entry) {
  // A name the code page cannot hold reaches the ANSI calls as a stand-in
  // that names another entry or none; a linked folder leads out of the
  // student data (into system folders, or round in a loop) and is never
  // entered. Neither can be copied as it is, so the backup is incomplete.
  // An entry under the copy's temporary name at the top could not be told
  // from a copy cut short, so it is not copied either.
  if (entry.nameNotAnsi || IsLinkedFolder(entry) ||
      (destination == m_root &&
       Comparable(entry.name) == ComparablePath(texts::kCopyTemporaryName)))
    return false;
  const std::string from = source + "\\" + entry.name;
  const std::string to = destination + "\\" + entry.name;
  // Measured as the backup's own paths: the staging name is no longer.
  if (to.size() + m_renamedLonger > (IsFolder(entry) ? kMaxFolderPath : kMaxFilePath))
    return false;
  if (IsFolder(entry)) {
    if (m_services.MakeDirectory(to))
      RecordMade(to, true);
    else if (m_services.LastError() != winerr::kAlreadyExists || MadeByThisCopy(to) ||
             !KeepEarlierEntry(destination, entry.name, true))
      return false;
    return CopyTree(from, to);
  }
  return CopyFileWhole(from, destination, entry.name);
}

// Into a new folder, and over a staging folder that an ended run left, a
// file is copied straight to its own name: no partial copy there is ever
// taken for a backed-up file. A file that this copy made holds another
// student file of the same name, and the copy fails.
// Into an earlier backup, the file is copied under the temporary name and
// moved to its own name once it is whole, so that no run, however it ends,
// leaves a part of it under its own name. The temporary file stands at the
// top of the backup, its shortest folder: a deep folder that still has room
// for the file's own name may have none for the temporary one. A file that
// was in the backup before this run stays untouched (once: see
// KeepEarlierEntry).
bool StudentBackup::CopyFileWhole(const std::string& from, const std::string& destination,
                                  const std::string& name) {
  const std::string to = destination + "\\" + name;
  if (m_mode == CopyMode::IntoNewFolder) return m_services.CopyOneFile(from, to, true);
  const bool earlier = !MadeByThisCopy(to) && IsExistingFile(m_services, to);
  if (earlier && !KeepEarlierEntry(destination, name, false)) return false;
  if (m_mode == CopyMode::OverLeftover) {
    if (!(earlier ? CopyOver(from, to) : m_services.CopyOneFile(from, to, true))) return false;
    RecordMade(to, false);
    return true;
  }
  if (earlier) return true;
  if (m_temporary.size() > kMaxFilePath || !m_patient.CopyOnto(from, m_temporary)) return false;
  RecordMade(m_temporary, false);
  if (!m_patient.Rename(m_temporary, to)) return false;
  m_made.back().first = to;
  m_madeKeys.erase(Comparable(m_temporary));
  m_madeKeys.insert(Comparable(to));
  return true;
}

// Windows refuses to overwrite a read-only or hidden file (a copy made it so).
bool StudentBackup::CopyOver(const std::string& from, const std::string& to) {
  return m_services.CopyOneFile(from, to, false) ||
         (m_services.ClearFileAttributes(to) && m_services.CopyOneFile(from, to, false));
}

// An entry that was in the destination before this copy stands for one
// student entry only: another that lands on it too (a name that differs only
// in case, in a folder that tells case apart) would have no copy of its own.
// And only for the student entry of its own name: one whose name is the
// entry's short name (or another alias) reaches it without being it.
bool StudentBackup::KeepEarlierEntry(const std::string& destination, const std::string& name,
                                     bool folder) {
  UniqueFind find(m_services);
  FindData entry;
  if (!find.First(destination + "\\" + name, entry) || IsFolder(entry) != folder ||
      Comparable(entry.name) != Comparable(name))
    return false;
  const std::string key = Comparable(destination + "\\" + entry.name);
  return m_madeKeys.count(key) == 0 && m_keptKeys.insert(key).second;
}

void StudentBackup::RecordMade(const std::string& path, bool folder) {
  // In a folder that held nothing before, all of it is this copy's: nothing
  // needs to be remembered, and the memory stays bounded by the depth.
  if (m_mode == CopyMode::IntoNewFolder) return;
  m_made.emplace_back(path, folder);
  m_madeKeys.insert(Comparable(path));
}

// Made by this copy: the entry itself, or the folder that holds it (which was
// empty when the copy made it; this also holds for names that differ only in
// a case the comparison does not fold).
bool StudentBackup::MadeByThisCopy(const std::string& path) {
  return m_mode == CopyMode::IntoNewFolder || m_madeKeys.count(Comparable(path)) != 0 ||
         m_madeKeys.count(Comparable(ParentFolderOf(path, m_codePage.Get()))) != 0;
}

// The made-list's key of a path: compared in the machine's code page, where
// the second byte of a double-byte character is no letter to fold.
std::string StudentBackup::Comparable(const std::string& path) {
  return ComparablePath(path, m_codePage.Get());
}

void StudentBackup::UndoCopy(const std::string& userDesktop) {
  m_services.SetCurrentDir(userDesktop);  // so that no folder to be removed is in use
  for (auto made = m_made.rbegin(); made != m_made.rend(); ++made)
    if (!(made->second ? RemoveBackupFolder(made->first) : DeleteBackupFile(made->first))) return;
}

bool StudentBackup::DeleteFolderTree(std::string& parent, const std::string& name) {
  std::string folder = parent + "\\" + name;
  // Only the folder itself is ever enumerated: if it cannot be entered (the
  // prefix test below may match a sibling such as "... Data.zip"), nothing
  // is deleted. The calls get the paths with single separators (see
  // WithSingleSeparators); the detail line and the messages show them as built.
  if (!m_services.SetCurrentDir(WithSingleSeparators(folder, m_codePage.Get()))) return false;
  if (!FindFile(m_services, WithSingleSeparators(parent + "\\" + name + "*.*", m_codePage.Get())))
    return false;
  // A linked folder is neither entered nor removed: RemoveDirectoryA of a
  // link deletes the empty folder it leads to under Wine (the link stays).
  // The folder then cannot go, which is said. A subfolder's deletion may
  // give `folder` a trailing backslash.
  const auto deleteEntry = [&](const FindData& entry) {
    if (IsLinkedFolder(entry)) {
      ReportFolderKept(folder + "\\" + entry.name);
      return false;
    }
    return IsFolder(entry) ? DeleteFolderTree(folder, entry.name)
                           : DeleteBackupFile(folder + "\\" + entry.name);
  };
  const std::string pattern = WithSingleSeparators(folder + "\\*", m_codePage.Get());
  if (WalkFolder(m_services, pattern, deleteEntry) == WalkEnd::Stopped) return false;
  // A trailing 0x5C that ends a double-byte character is no separator.
  if (!parent.empty() &&
      WithoutTrailingBackslashes(parent, m_codePage.Get()).size() == parent.size())
    parent += '\\';
  // Out of the folder, so that it is not in use.
  m_services.SetCurrentDir(WithSingleSeparators(parent, m_codePage.Get()));
  return RemoveBackupFolder(folder);
}

bool StudentBackup::DeleteBackupFile(const std::string& path) {
  m_ui.SetDetailLine(path);
  m_ui.RedrawProgress();
  if (m_patient.RemoveFile(WithSingleSeparators(path, m_codePage.Get()), true)) return true;
  m_ui.ShowMessage(texts::kCouldNotDeleteFile + path, texts::kErrorCaption, BoxStyle::Ok);
  return false;
}

bool StudentBackup::RemoveBackupFolder(const std::string& path) {
  // Every folder removed here has just been emptied by this run.
  if (m_patient.RemoveEmptiedFolder(WithSingleSeparators(path, m_codePage.Get()))) return true;
  ReportFolderKept(path);
  return false;
}

void StudentBackup::ReportFolderKept(const std::string& path) {
  m_ui.ShowMessage(texts::kCouldNotDeleteDirectory + path, texts::kErrorCaption, BoxStyle::Ok);
}
