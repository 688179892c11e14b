// Step 1: the students' data copied to the desktop before anything is deleted,
// whole, or what it made goes again and the run is abandoned.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "removal/patient_calls.h"
#include "shared/run_context.h"

class StudentBackup {
 public:
  explicit StudentBackup(RunContext& run)
      : m_services(run.services), m_ui(run.ui), m_codePage(run.codePage), m_patient(run) {}

  // Copies location\Students into "Marlo Coach Saved Student Data" on
  // `userDesktop`; false (rolled back, and said) abandons the run. A new
  // backup is made under the staging name and renamed once it is whole; a
  // whole copy that cannot take its name stays under the staging name.
  bool BackUpStudentData(const std::string& location, const std::string& userDesktop);
  // Copies all below `source` into the existing `destination`; an entry that
  // cannot be copied as it is (name, link, path length) fails the copy.
  bool CopyFolderTree(const std::string& source, const std::string& destination);
  // Deletes parent\name file by file, each shown on the detail line; may add
  // a backslash to `parent`.
  bool DeleteFolderTree(std::string& parent, const std::string& name);

 private:
  enum class CopyMode {
    IntoNewFolder,      // the destination held nothing: straight copies, nothing recorded
    OverLeftover,       // a staging folder an ended run left: straight copies over it
    IntoEarlierBackup,  // a whole earlier backup: added to, what it held kept
  };
  // Forgets the last copy before one into `destination`, which a rename may
  // make `renamedLonger` characters longer; false when the temporary file an
  // ended run left in an earlier backup cannot go.
  bool StartCopy(const std::string& destination, CopyMode mode, std::size_t renamedLonger = 0);
  bool CopyTree(const std::string& source, const std::string& destination);
  bool CopyEntry(const std::string& source, const std::string& destination, const FindData& entry);
  bool CopyFileWhole(const std::string& from, const std::string& destination,
                     const std::string& name);
  // CopyFileA over an existing file, cleared first when Windows refuses it.
  bool CopyOver(const std::string& from, const std::string& to);
  bool KeepEarlierEntry(const std::string& destination, const std::string& name, bool folder);
  void RecordMade(const std::string& path, bool folder);
  bool MadeByThisCopy(const std::string& path);
  // Rollback in an earlier backup: what the copy made goes, last first, until one fails.
  void UndoCopy(const std::string& userDesktop);
  bool DeleteBackupFile(const std::string& path);
  bool RemoveBackupFolder(const std::string& path);
  void ReportFolderKept(const std::string& path);
  std::string Comparable(const std::string& path);

  IWindowsServices& m_services;
  IRunUi& m_ui;
  MachineCodePage& m_codePage;
  // What the copy made, in order (true for a folder), and its comparable form.
  std::vector<std::pair<std::string, bool>> m_made;
  std::set<std::string> m_madeKeys;
  // Earlier backup entries that a student entry landed on, in comparable form.
  std::set<std::string> m_keptKeys;
  // The copy's destination, and its temporary file at the top of it.
  std::string m_root;
  std::string m_temporary;
  CopyMode m_mode = CopyMode::IntoNewFolder;
  std::size_t m_renamedLonger = 0;
  // The renames, deletions and the copy onto the temporary name, which wait
  // out another program's brief hold.
  PatientCalls m_patient;
};
