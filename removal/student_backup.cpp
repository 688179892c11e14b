// Step 1: the students' data is copied to the user's desktop before anything
// of the product is deleted. The copy is complete or the whole run stops.
#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/error_codes.h"
#include "removal/path_rules.h"
#include "removal/uninstall_engine.h"

namespace {

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

bool UninstallEngine::BackUpStudentData(const std::string& userDesktop) {
  // Without a desktop folder the backup would land in a drive root.
  if (!userDesktop.empty()) {
    const std::string backup = userDesktop + "\\" + texts::kBackupName;
    const bool created = m_services.MakeDirectory(backup);
    const bool usable = created || m_services.LastError() == winerr::kAlreadyExists;
    const std::string source =
        WithoutTrailingBackslashes(m_state.m_location, CodePage()) + "\\" + texts::kStudentsName;
    if (usable && CopyFolderTree(source, backup)) return true;
    // A backup folder that was on the desktop before this run keeps what it held.
    if (created) {
      std::string parent = userDesktop;
      DeleteFolderTree(parent, texts::kBackupName);
    }
  }
  m_ui.ShowMessage(texts::kCopyFailed, nullptr, BoxStyle::Ok);
  return false;
}

bool UninstallEngine::CopyFolderTree(const std::string& source, const std::string& destination) {
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
  const std::string from = source + "\\" + entry.name;
  const std::string to = destination + "\\" + entry.name;
  if ((entry.attributes & kAttrDirectory) != 0) {
    if (!m_services.MakeDirectory(to) && m_services.LastError() != winerr::kAlreadyExists)
      return false;
    return CopyFolderTree(from, to);
  }
  if (m_services.CopyOneFile(from, to, true)) return true;
  // A file already in the backup (from an earlier run) stays untouched.
  return m_services.LastError() == winerr::kFileExists && IsExistingFile(to);
}

bool UninstallEngine::IsExistingFile(const std::string& path) {
  UniqueFind find(m_services);
  FindData entry;
  return find.First(path, entry) && (entry.attributes & kAttrDirectory) == 0;
}

bool UninstallEngine::DeleteFolderTree(std::string& parent, const std::string& name) {
  std::string folder = parent + "\\" + name;
  // Only the folder itself is ever enumerated: if it cannot be entered (the
  // prefix test below may match a sibling such as "... Data.zip"), nothing
  // is deleted.
  if (!m_services.SetCurrentDir(folder)) return false;
  if (!FindFile(m_services, parent + "\\" + name + "*.*")) return false;
  {
    UniqueFind find(m_services);
    FindData entry;
    if (find.First(folder + "\\*", entry)) {
      do {
        if (IsDotEntry(entry.name)) continue;
        // A subfolder's deletion may give `folder` a trailing backslash.
        bool done = (entry.attributes & kAttrDirectory) != 0
                        ? DeleteFolderTree(folder, entry.name)
                        : DeleteBackupFile(folder + "\\" + entry.name);
        if (!done) return false;
      } while (find.Next(entry));
    }
  }
  if (!parent.empty() && parent.back() != '\\') parent += '\\';
  m_services.SetCurrentDir(parent);  // so that the folder is not in use
  if (m_services.RemoveDir(folder)) return true;
  m_ui.ShowMessage(texts::kCouldNotDeleteDirectory + folder, texts::kErrorCaption, BoxStyle::Ok);
  return false;
}

bool UninstallEngine::DeleteBackupFile(const std::string& path) {
  m_services.ClearFileAttributes(path);  // a file that cannot be opened keeps its attributes
  m_ui.SetDetailLine(path);
  m_ui.RedrawProgress();
  if (m_services.RemoveFile(path)) return true;
  m_ui.ShowMessage(texts::kCouldNotDeleteFile + path, texts::kErrorCaption, BoxStyle::Ok);
  return false;
}
