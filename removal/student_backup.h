// Step 1: the students' data copied to the desktop before anything is deleted,
// whole, or what it made goes again and the run is abandoned.
#pragma once

#include <string>

#include "removal/folder_copy.h"
#include "removal/tree_deletion.h"

class StudentBackup {
 public:
  explicit StudentBackup(RunContext& run) : m_run(run), m_copy(run), m_deletion(run) {}

  // Copies location\Students into "Marlo Coach Saved Student Data" on
  // `userDesktop`; false (rolled back, and said) abandons the run.
  bool BackUpStudentData(const std::string& location, const std::string& userDesktop);

 private:
  RunContext& m_run;
  FolderCopy m_copy;
  TreeDeletion m_deletion;
};
