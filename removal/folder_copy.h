// The copy of a folder tree in one of three modes, and the list of what it
// made, for the rollback.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "removal/patient_calls.h"
#include "shared/run_context.h"

class FolderCopy {
 public:
  enum class Mode {
    IntoNewFolder,      // the destination held nothing: straight copies, nothing recorded
    OverLeftover,       // a staging folder an ended run left: straight copies over it
    IntoEarlierBackup,  // a whole earlier backup: added to, what it held kept
  };
  explicit FolderCopy(RunContext& run) : m_run(run), m_patient(run) {}

  // Copies all below `source` into the existing `destination`; an entry that
  // cannot be copied as it is (name, link, path length) fails the copy.
  bool CopyFolderTree(const std::string& source, const std::string& destination);
  // The same in `mode`, into a destination that a rename may make
  // `renamedLonger` characters longer.
  bool CopyInMode(const std::string& source, const std::string& destination, Mode mode,
                  std::size_t renamedLonger = 0);
  // What the last copy made, in order (true for a folder); nothing into a new folder.
  const std::vector<std::pair<std::string, bool>>& Made() const { return m_made; }

 private:
  bool CopyTree(const std::string& source, const std::string& destination);
  bool CopyEntry(const std::string& source, const std::string& destination, const FindData& entry);
  bool CopyFileWhole(const std::string& from, const std::string& destination,
                     const std::string& name);
  bool KeepEarlierEntry(const std::string& destination, const std::string& name, bool folder);
  void RecordMade(const std::string& path, bool folder);
  bool MadeByThisCopy(const std::string& path);
  std::string Comparable(const std::string& path);

  RunContext& m_run;
  std::vector<std::pair<std::string, bool>> m_made;
  std::set<std::string> m_madeKeys;  // m_made's paths in comparable form
  std::set<std::string> m_keptKeys;  // earlier entries a student entry landed on, the same way
  // The copy's destination, and its temporary file at the top of it.
  std::string m_root;
  std::string m_temporary;
  Mode m_mode = Mode::IntoNewFolder;
  std::size_t m_renamedLonger = 0;
  PatientCalls m_patient;  // for the steps that wait out another program's brief hold
};
