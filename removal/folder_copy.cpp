#include "removal/folder_copy.h"

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

bool IsExistingFile(IWindowsServices& services, const std::string& path) {
  FindData entry;
  return FindFile(services, path, &entry) && !IsFolder(entry);
}

// CopyFileA over an existing file; Windows refuses to overwrite a read-only
// or hidden one (a copy made it so), which is cleared first.
bool CopyOver(IWindowsServices& services, const std::string& from, const std::string& to) {
  return services.CopyOneFile(from, to, false) ||
         (services.ClearFileAttributes(to) && services.CopyOneFile(from, to, false));
}

}  // namespace

bool FolderCopy::CopyFolderTree(const std::string& source, const std::string& destination) {
  const std::string pattern = WithSingleSeparators(destination + "\\*", m_run.codePage.Get());
  const bool empty = WalkFolder(m_run.services, pattern, [](const FindData&) { return false; }) ==
                     WalkEnd::Complete;
  return CopyInMode(source, destination, empty ? Mode::IntoNewFolder : Mode::IntoEarlierBackup);
}

bool FolderCopy::CopyInMode(const std::string& source, const std::string& destination, Mode mode,
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
  return (mode != Mode::IntoEarlierBackup || !IsExistingFile(m_run.services, m_temporary) ||
          m_patient.RemoveFile(m_temporary, true)) &&
         CopyTree(source, destination);
}

bool FolderCopy::CopyTree(const std::string& source, const std::string& destination) {
  if (!m_run.services.SetCurrentDir(source)) return false;
  // A search that stops for any other reason than its end missed entries.
  return WalkFolder(m_run.services, source + "\\*", [&](const FindData& entry) {
           return CopyEntry(source, destination, entry);
         }) == WalkEnd::Complete;
}

bool FolderCopy::CopyEntry(const std::string& source, const std::string& destination,
                           const FindData& entry) {
  // A name the code page cannot hold reaches the ANSI calls as a stand-in that
  // names another entry or none; a linked folder leads out of the student data
  // (into system folders, or round in a loop) and is never entered. Neither can
  // be copied as it is, so the backup is incomplete. Nor can an entry under the
  // temporary name at the top, which could not be told from a copy cut short.
  if (entry.nameNotAnsi || (IsFolder(entry) && (entry.attributes & kAttrReparsePoint) != 0) ||
      (destination == m_root &&
       Comparable(entry.name) == ComparablePath(texts::kCopyTemporaryName)))
    return false;
  const std::string from = source + "\\" + entry.name;
  const std::string to = destination + "\\" + entry.name;
  // Measured as the backup's own paths: the staging name is no longer.
  if (to.size() + m_renamedLonger > (IsFolder(entry) ? kMaxFolderPath : kMaxFilePath)) return false;
  if (IsFolder(entry)) {
    if (m_run.services.MakeDirectory(to))
      RecordMade(to, true);
    else if (m_run.services.LastError() != winerr::kAlreadyExists || MadeByThisCopy(to) ||
             !KeepEarlierEntry(destination, entry.name, true))
      return false;
    return CopyTree(from, to);
  }
  return CopyFileWhole(from, destination, entry.name);
}

// Into a new folder, and over a staging folder that an ended run left, a
// file is copied straight to its own name: no partial copy there is ever
// taken for a backed-up file. A file that this copy made holds another
// student file of the same name, and the copy fails. Into an earlier backup,
// the file is copied under the temporary name and renamed once whole, so
// that no ended run leaves a part of it under its own name; the temporary
// file stands at the top, where a deep folder with room for the file's own
// name may have none for it. A file the backup held before this run stays
// untouched (once: see KeepEarlierEntry).
bool FolderCopy::CopyFileWhole(const std::string& from, const std::string& destination,
                               const std::string& name) {
  const std::string to = destination + "\\" + name;
  if (m_mode == Mode::IntoNewFolder) return m_run.services.CopyOneFile(from, to, true);
  const bool earlier = !MadeByThisCopy(to) && IsExistingFile(m_run.services, to);
  if (earlier && !KeepEarlierEntry(destination, name, false)) return false;
  if (m_mode == Mode::OverLeftover) {
    if (!(earlier ? CopyOver(m_run.services, from, to)
                  : m_run.services.CopyOneFile(from, to, true)))
      return false;
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

// An entry that was in the destination before this copy stands for one
// student entry only: another that lands on it too (a name that differs only
// in case, in a folder that tells case apart) would have no copy of its own.
// And only for the student entry of its own name: one whose name is the
// entry's short name (or another alias) reaches it without being it.
bool FolderCopy::KeepEarlierEntry(const std::string& destination, const std::string& name,
                                  bool folder) {
  FindData entry;
  if (!FindFile(m_run.services, destination + "\\" + name, &entry) || IsFolder(entry) != folder ||
      Comparable(entry.name) != Comparable(name))
    return false;
  const std::string key = Comparable(destination + "\\" + entry.name);
  return m_madeKeys.count(key) == 0 && m_keptKeys.insert(key).second;
}

void FolderCopy::RecordMade(const std::string& path, bool folder) {
  // In a folder that held nothing before, all of it is this copy's: nothing
  // needs to be remembered, and the memory stays bounded by the depth.
  if (m_mode == Mode::IntoNewFolder) return;
  m_made.emplace_back(path, folder);
  m_madeKeys.insert(Comparable(path));
}

// Made by this copy: the entry itself, or the folder that holds it (empty when
// made; so also for names that differ only in a case the comparison keeps).
bool FolderCopy::MadeByThisCopy(const std::string& path) {
  return m_mode == Mode::IntoNewFolder || m_madeKeys.count(Comparable(path)) != 0 ||
         m_madeKeys.count(Comparable(ParentFolderOf(path, m_run.codePage.Get()))) != 0;
}

// The made-list's key of a path: compared in the machine's code page, where
// the second byte of a double-byte character is no letter to fold.
std::string FolderCopy::Comparable(const std::string& path) {
  return ComparablePath(path, m_run.codePage.Get());
}
