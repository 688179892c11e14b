// Everything the program knows during one session: owned by the main window,
// read and written by the removal run and the location logic.
#pragma once

#include <string>
#include <vector>

// The system's version and the logged-on user, recorded at start-up.
struct SystemInfo {
  int m_osMinor = 0;
  int m_osMajor = 0;
  std::string m_userName;  // empty below major version 5
};

struct UninstallState : SystemInfo {
  std::vector<std::string> m_failures;  // components that were not removed
  std::string m_location;               // installation folder; empty when unknown
  bool m_saveStudentData = true;        // the save box, read when the run starts
};
