// Step 1: the students' data is copied to the user's desktop before anything
// of the product is deleted. The copy is complete or the whole run stops.
#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/error_codes.h"
#include "removal/path_rules.h"
#include "removal/uninstall_engine.h"

namespace {

// The longest paths the ANSI calls take on Windows: 259 characters for a
// file and 248 for a folder (room for an 8.3 name inside it). Wine takes 260
// and even makes longer copy targets, which its own calls then cannot name
// again; the copy keeps within what both can delete in a rollback.
constexpr std::size_t kMaxFilePath = 259;
constexpr std::size_t kMaxFolderPath = 248;

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

bool IsFolder(const FindData& entry) { return (entry.attributes & kAttrDirectory) != 0; }

bool IsLinkedFolder(const FindData& entry) {
  return IsFolder(entry) && (entry.attributes & kAttrReparsePoint) != 0;
}

}  // namespace

bool UninstallEngine::BackUpStudentData(const std::string& userDesktop) {
  // Without a desktop folder the backup would land in a drive root.
  if (!userDesktop.empty()) {
    const std::string backup = userDesktop + "\\" + texts::kBackupName;
    const bool created = m_services.MakeDirectory(backup);
    const bool usable = created || m_services.LastError() == winerr::kAlreadyExists;
    const std::string source =
        WithoutTrailingBackslashes(m_state.m_location, CodePage()) + "\\" + texts::kStudentsName;
    m_copyMade.clear();
    m_copyMadeKeys.clear();
    m_copyKeptKeys.clear();
    m_copyTemporary = backup + "\\" + texts::kCopyTemporaryName;
    m_copyIntoNewFolder = created;
    if (usable && CopyTree(source, backup)) return true;
    if (created) {
      std::string parent = userDesktop;
      DeleteFolderTree(parent, texts::kBackupName);
    } else {
      // A backup folder that was on the desktop before this run keeps what it
      // held; only what this run added goes.
      UndoCopy(userDesktop);
    }
  }
  m_ui.ShowMessage(texts::kCopyFailed, nullptr, BoxStyle::Ok);
  return false;
}

bool UninstallEngine::CopyFolderTree(const std::string& source, const std::string& destination) {
  m_copyMade.clear();
  m_copyMadeKeys.clear();
  m_copyKeptKeys.clear();
  m_copyTemporary = destination + "\\" + texts::kCopyTemporaryName;
  m_copyIntoNewFolder = IsEmptyFolder(destination);
  return CopyTree(source, destination);
}

bool UninstallEngine::IsEmptyFolder(const std::string& folder) {
  UniqueFind find(m_services);
  FindData entry;
  if (!find.First(WithSingleSeparators(folder + "\\*", CodePage()), entry)) return false;
  do {
    if (!IsDotEntry(entry.name)) return false;
  } while (find.Next(entry));
  return m_services.LastError() == winerr::kNoMoreFiles;
}

bool UninstallEngine::CopyTree(const std::string& source, const std::string& destination) {
  if (!m_services.SetCurrentDir(source)) return false;
  UniqueFind find(m_services);
  FindData entry;
  if (!find.First(source + "\\*", entry)) return false;
  do {
    if (!IsDotEntry(entry.name) && !CopyEntry(source, destination, entry)) return false;
  } while (find.Next(entry));
  // A search that stops for any other reason than its end missed entries.
  return m_services.LastError() == winerr::kNoMoreFiles;
}

bool UninstallEngine::CopyEntry(const std::string& source, const std::string& destination,
                                const FindData& entry) {
  // A name the code page cannot hold reaches the ANSI calls as a stand-in
  // that names another entry or none; a linked folder leads out of the
  // student data (into system folders, or round in a loop) and is never
  // entered. Neither can be copied as it is, so the backup is incomplete.
  // An entry under the copy's temporary name could not be told from a copy
  // cut short, so it is not copied either.
  if (entry.nameNotAnsi || IsLinkedFolder(entry) ||
      ComparablePath(entry.name, CodePage()) == ComparablePath(texts::kCopyTemporaryName))
    return false;
  const std::string from = source + "\\" + entry.name;
  const std::string to = destination + "\\" + entry.name;
  if (to.size() > (IsFolder(entry) ? kMaxFolderPath : kMaxFilePath)) return false;
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

// The file is copied under the temporary name and moved to its own name once
// it is whole, so that no run, however it ends, leaves a part of it under its
// own name. The temporary file stands at the top of the backup, its shortest
// folder: a deep folder that still has room for the file's own name may have
// none for the temporary one.
// A file already under its own name was whole when it was written: a file
// that was in the backup before this run stays untouched (once: see
// KeepEarlierEntry). One that this run made holds another student file of
// the same name, and the rename fails.
bool UninstallEngine::CopyFileWhole(const std::string& from, const std::string& destination,
                                    const std::string& name) {
  const std::string to = destination + "\\" + name;
  const std::string& temporary = m_copyTemporary;
  if (temporary.size() > kMaxFilePath) return false;
  if (!MadeByThisCopy(to) && IsExistingFile(to)) return KeepEarlierEntry(destination, name, false);
  // A temporary file left by an interrupted run is replaced. Windows refuses
  // to overwrite it when the copy made it read-only or hidden.
  if (!m_services.CopyOneFile(from, temporary, false) &&
      !(m_services.ClearFileAttributes(temporary) &&
        m_services.CopyOneFile(from, temporary, false)))
    return false;
  RecordMade(temporary, false);
  if (!m_services.RenameFile(temporary, to)) return false;
  if (!m_copyIntoNewFolder) {
    m_copyMade.back().first = to;
    m_copyMadeKeys.erase(ComparablePath(temporary));
    m_copyMadeKeys.insert(ComparablePath(to));
  }
  return true;
}

bool UninstallEngine::IsExistingFile(const std::string& path) {
  UniqueFind find(m_services);
  FindData entry;
  return find.First(path, entry) && !IsFolder(entry);
}

// An entry that was in the backup before this run stands for one student
// entry only: another that lands on it too (a name that differs only in case,
// in a folder that tells case apart) would have no copy of its own. It is
// known by the name the backup holds it under, whatever name reached it.
bool UninstallEngine::KeepEarlierEntry(const std::string& destination, const std::string& name,
                                       bool folder) {
  UniqueFind find(m_services);
  FindData entry;
  if (!find.First(destination + "\\" + name, entry) || IsFolder(entry) != folder) return false;
  const std::string key = ComparablePath(destination + "\\" + entry.name);
  return m_copyMadeKeys.count(key) == 0 && m_copyKeptKeys.insert(key).second;
}

void UninstallEngine::RecordMade(const std::string& path, bool folder) {
  // In a folder that held nothing before, all of it is this copy's: nothing
  // needs to be remembered, and the memory stays bounded by the depth.
  if (m_copyIntoNewFolder) return;
  m_copyMade.emplace_back(path, folder);
  m_copyMadeKeys.insert(ComparablePath(path));
}

// Made by this copy: the entry itself, or the folder that holds it (which was
// empty when the copy made it; this also holds for names that differ only in
// a case the comparison does not fold).
bool UninstallEngine::MadeByThisCopy(const std::string& path) const {
  return m_copyIntoNewFolder || m_copyMadeKeys.count(ComparablePath(path)) != 0 ||
         m_copyMadeKeys.count(ComparablePath(ParentFolderOf(path))) != 0;
}

// Deletes what the copy made, the last first; stops at the first failure,
// which has shown its message.
void UninstallEngine::UndoCopy(const std::string& userDesktop) {
  m_services.SetCurrentDir(userDesktop);  // so that no folder to be removed is in use
  for (auto made = m_copyMade.rbegin(); made != m_copyMade.rend(); ++made) {
    const bool done = made->second ? RemoveBackupFolder(made->first) : DeleteBackupFile(made->first);
    if (!done) return;
  }
}

bool UninstallEngine::DeleteFolderTree(std::string& parent, const std::string& name) {
  std::string folder = parent + "\\" + name;
  // Only the folder itself is ever enumerated: if it cannot be entered (the
  // prefix test below may match a sibling such as "... Data.zip"), nothing
  // is deleted. The calls get the paths with single separators (see
  // WithSingleSeparators); the detail line and the messages show them as built.
  if (!m_services.SetCurrentDir(WithSingleSeparators(folder, CodePage()))) return false;
  if (!FindFile(m_services, WithSingleSeparators(parent + "\\" + name + "*.*", CodePage())))
    return false;
  {
    UniqueFind find(m_services);
    FindData entry;
    if (find.First(WithSingleSeparators(folder + "\\*", CodePage()), entry)) {
      do {
        if (IsDotEntry(entry.name)) continue;
        // A linked folder is neither entered nor removed: RemoveDirectoryA
        // of a link deletes the empty folder it leads to under Wine (the
        // link stays). The folder then cannot go, which is said.
        if (IsLinkedFolder(entry)) {
          ReportFolderKept(folder + "\\" + entry.name);
          return false;
        }
        // A subfolder's deletion may give `folder` a trailing backslash.
        bool done = IsFolder(entry) ? DeleteFolderTree(folder, entry.name)
                                    : DeleteBackupFile(folder + "\\" + entry.name);
        if (!done) return false;
      } while (find.Next(entry));
    }
  }
  // A trailing 0x5C that ends a double-byte character is no separator.
  if (!parent.empty() && WithoutTrailingBackslashes(parent, CodePage()).size() == parent.size())
    parent += '\\';
  // Out of the folder, so that it is not in use.
  m_services.SetCurrentDir(WithSingleSeparators(parent, CodePage()));
  return RemoveBackupFolder(folder);
}

bool UninstallEngine::DeleteBackupFile(const std::string& path) {
  const std::string callPath = WithSingleSeparators(path, CodePage());
  m_services.ClearFileAttributes(callPath);  // a file that cannot be opened keeps its attributes
  m_ui.SetDetailLine(path);
  m_ui.RedrawProgress();
  if (m_services.RemoveFile(callPath)) return true;
  m_ui.ShowMessage(texts::kCouldNotDeleteFile + path, texts::kErrorCaption, BoxStyle::Ok);
  return false;
}

bool UninstallEngine::RemoveBackupFolder(const std::string& path) {
  if (m_services.RemoveDir(WithSingleSeparators(path, CodePage()))) return true;
  ReportFolderKept(path);
  return false;
}

void UninstallEngine::ReportFolderKept(const std::string& path) {
  m_ui.ShowMessage(texts::kCouldNotDeleteDirectory + path, texts::kErrorCaption, BoxStyle::Ok);
}
