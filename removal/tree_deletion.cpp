#include "removal/tree_deletion.h"

#include "services/handles.h"
#include "shared/path_rules.h"
#include "shared/texts.h"

bool TreeDeletion::DeleteFolderTree(std::string parent, const std::string& name) {
  const AnsiCodePage& codePage = m_run.codePage.Get();
  std::string folder = parent + "\\" + name;
  // Only the folder itself is ever enumerated: if it cannot be entered (the
  // prefix test below may match a sibling such as "... Data.zip"), nothing
  // is deleted. The calls get the paths with single separators (see
  // WithSingleSeparators); the detail line and the messages show them as built.
  if (!m_run.services.SetCurrentDir(WithSingleSeparators(folder, codePage))) return false;
  if (!FindFile(m_run.services, WithSingleSeparators(parent + "\\" + name + "*.*", codePage)))
    return false;
  // Once its contents went, a folder is named with a trailing backslash: the
  // paths built from it show two (a 0x5C ending a double-byte character is none).
  const auto endingInSeparator = [&](const std::string& path) {
    const bool plain =
        !path.empty() && WithoutTrailingBackslashes(path, codePage).size() == path.size();
    return plain ? path + '\\' : path;
  };
  // A linked folder is neither entered nor removed (RemoveDirectoryA of a link
  // deletes the empty folder it leads to under Wine): the folder then stays, said.
  const auto deleteEntry = [&](const FindData& entry) {
    const bool subfolder = (entry.attributes & kAttrDirectory) != 0;
    if (subfolder && (entry.attributes & kAttrReparsePoint) != 0)
      return SayKept(texts::kCouldNotDeleteDirectory, folder + "\\" + entry.name);
    if (!subfolder) return DeleteBackupFile(folder + "\\" + entry.name);
    if (!DeleteFolderTree(folder, entry.name)) return false;  // and the walk stops
    folder = endingInSeparator(folder);
    return true;
  };
  const std::string pattern = WithSingleSeparators(folder + "\\*", codePage);
  if (WalkFolder(m_run.services, pattern, deleteEntry) == WalkEnd::Stopped) return false;
  // Out of the folder, so that it is not in use.
  m_run.services.SetCurrentDir(WithSingleSeparators(endingInSeparator(parent), codePage));
  return RemoveBackupFolder(folder);
}

bool TreeDeletion::DeleteBackupFile(const std::string& path) {
  m_run.ui.SetDetailLine(path);
  m_run.ui.RedrawProgress();
  return m_patient.RemoveFile(WithSingleSeparators(path, m_run.codePage.Get()), true) ||
         SayKept(texts::kCouldNotDeleteFile, path);
}

bool TreeDeletion::RemoveBackupFolder(const std::string& path) {
  // Every folder removed here has just been emptied by this run.
  return m_patient.RemoveEmptiedFolder(WithSingleSeparators(path, m_run.codePage.Get())) ||
         SayKept(texts::kCouldNotDeleteDirectory, path);
}

bool TreeDeletion::SayKept(const char* message, const std::string& path) {
  m_run.ui.ShowMessage(message + path, texts::kErrorCaption, BoxStyle::Ok);
  return false;
}
