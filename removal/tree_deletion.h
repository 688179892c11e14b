// The deletion of a folder tree, or of files and folders one by one: each
// file is shown on the detail line, and what cannot go is said in a box.
#pragma once

#include <string>

#include "removal/patient_calls.h"
#include "shared/run_context.h"

class TreeDeletion {
 public:
  explicit TreeDeletion(RunContext& run) : m_run(run), m_patient(run) {}

  // Deletes parent\name file by file; false when any of it stays.
  bool DeleteFolderTree(std::string parent, const std::string& name);
  // One file, and one folder this run emptied; false (and said) when it stays.
  bool DeleteBackupFile(const std::string& path);
  bool RemoveBackupFolder(const std::string& path);

 private:
  // Says in a box that `path` stays (`message` in front of it); false.
  bool SayKept(const char* message, const std::string& path);

  RunContext& m_run;
  PatientCalls m_patient;
};
