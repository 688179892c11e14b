// Step 7: the product key's subkeys and installation value, and the product's
// uninstall entries, each with everything below it.
#pragma once

#include <string>

#include "services/handles.h"
#include "shared/run_context.h"

class RegistryCleanup {
 public:
  explicit RegistryCleanup(RunContext& run) : m_run(run), m_holder(run.services) {}

  // Runs the step; what is left adds its line to the failure list. The
  // step's last key stays open until Release, after the final report.
  void Clean();
  void Release() { m_holder.Reset(); }

 private:
  RunContext& m_run;
  UniqueKey m_holder;
};

// Deletes parent\name with every key below it; returns a Windows error code.
long DeleteRegistryTree(IWindowsServices& services, RegKey parent, const std::string& name);
