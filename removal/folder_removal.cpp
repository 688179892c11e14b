#include "removal/folder_removal.h"

#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/path_rules.h"

bool FolderRemoval::ShellDeleteFolder(WindowHandle owner, const std::string& path) {
  char sourceList[kSourceListCapacity];
  // A path that does not fit is refused rather than cut short: a shorter
  // path names another folder. A deletion the shell reports as done counts
  // only if the folder is really gone.
  bool deleted = false;
  if (m_guard.MayRecycle(path) && BuildSourceList(path, sourceList)) {
    // The backup leaves the current directory inside the student data; a
    // folder in use is not recycled whole, so step out of it first.
    std::string parent = ParentFolderOf(path, m_codePage.Get());
    if (!parent.empty()) m_services.SetCurrentDir(parent);
    deleted = m_services.ShellFileOperation(owner, kFoDelete, sourceList, kRecycleFlags) == 0 &&
              !MayExist(WithoutTrailingBackslashes(path, m_codePage.Get()));
  }
  if (!deleted) m_ui.ShowMessage(texts::kCouldNotDelete + path, texts::kErrorCaption, BoxStyle::Ok);
  return deleted;
}

void FolderRemoval::DeleteProductFolder(const std::string& folder,
                                        std::vector<std::string>& failures) {
  if (!folder.empty() && (m_guard.IsProtectedText(folder) || MayExist(folder)) &&
      !ShellDeleteFolder(m_ui.MainWindow(), folder))
    failures.push_back(texts::kFolderLine + folder);
  m_ui.SetDetailLine("");
}

bool FolderRemoval::MayExist(const std::string& path) {
  return FindFile(m_services, path) || !winerr::IsAbsence(m_services.LastError());
}
