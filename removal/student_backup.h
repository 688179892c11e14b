// Step 1: the students' data copied to the user's desktop before anything of
// the product is deleted, and the folder-tree operations behind it. The copy
// is complete, or what it made goes again and the run is abandoned.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "removal/run_ui.h"

class StudentBackup {
 public:
  StudentBackup(IWindowsServices& services, IRunUi& ui, MachineCodePage& codePage)
      : m_services(services), m_ui(ui), m_codePage(codePage) {}

  // Copies location\Students into "Marlo Coach Saved Student Data" on
  // `userDesktop`; on failure rolls the copy back, says so, and returns
  // false: the run must be abandoned.
  bool BackUpStudentData(const std::string& location, const std::string& userDesktop);
  // Copies everything below `source` into the existing folder `destination`.
  // An entry that cannot be copied as it is (a name the code page cannot
  // hold, a linked folder, a path past the ANSI limits) fails the copy.
  bool CopyFolderTree(const std::string& source, const std::string& destination);
  // Deletes parent\name file by file, showing each file on the detail line.
  // May append a backslash to `parent`.
  bool DeleteFolderTree(std::string& parent, const std::string& name);

 private:
  // Forgets the last copy's records before one into `destination`;
  // `intoNewFolder` when it held nothing.
  void StartCopy(const std::string& destination, bool intoNewFolder);
  bool CopyTree(const std::string& source, const std::string& destination);
  bool CopyEntry(const std::string& source, const std::string& destination, const FindData& entry);
  bool CopyFileWhole(const std::string& from, const std::string& destination,
                     const std::string& name);
  bool KeepEarlierEntry(const std::string& destination, const std::string& name, bool folder);
  void RecordMade(const std::string& path, bool folder);
  bool MadeByThisCopy(const std::string& path);
  // The rollback in a backup folder that was there before the run: what the
  // copy made goes, the last first, up to the first failure.
  void UndoCopy(const std::string& userDesktop);
  bool DeleteBackupFile(const std::string& path);
  bool RemoveBackupFolder(const std::string& path);
  void ReportFolderKept(const std::string& path);
  std::string Comparable(const std::string& path);

  IWindowsServices& m_services;
  IRunUi& m_ui;
  MachineCodePage& m_codePage;
  // What the current copy made, in the order it made it (paths as it named
  // them, true for a folder), and the same paths in comparable form.
  std::vector<std::pair<std::string, bool>> m_made;
  std::set<std::string> m_madeKeys;
  // The entries that were in the backup before the copy and that a student
  // entry has landed on, in comparable form.
  std::set<std::string> m_keptKeys;
  // The copy's temporary file, at the top of the backup.
  std::string m_temporary;
  // True when the copy's destination held nothing before it: then everything
  // in it is the copy's own, and nothing is recorded.
  bool m_intoNewFolder = false;
};
