// The bad-input catalogue: whole removal runs on machines that are seeded
// with the complete installation and then spoiled in one particular way.
// The catalogue tests run each case once; the fault sweep runs the cases
// again with failing service calls.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/scenario.h"

namespace catalogue {

struct Case {
  std::string name;                            // a test-name fragment
  std::string location = scenario::kLocation;  // where the product is seeded
  // Spoils the seeded machine and adjusts what the run may remove. Runs
  // before the baseline is recorded.
  std::function<void(scenario::Bench&, scenario::Installation&)> prepare;
  // Checks that go beyond the shared promises; may be empty.
  std::function<void(const scenario::Bench&, const scenario::Installation&)> expect;
  bool shortcutsMayBeUnknown = false;  // a shell folder the run could not read
  bool sweep = true;                   // small enough for the fault sweep
};

// Every whole-run case of the catalogue.
const std::vector<Case>& RunCases();

// Seeds the case's machine, records the baseline and presses the remove
// button with the location unchanged.
struct Prepared {
  scenario::Bench bench;
  scenario::Installation installation;
};
void Prepare(const Case& c, Prepared& p);
// The same on a bench of the caller's; returns the installation.
scenario::Installation PrepareOn(const Case& c, scenario::Bench& bench);

// A path of exactly `length` characters: `front`, then 40-character
// components, then `back`.
std::string PathOfLength(const std::string& front, std::size_t length, const std::string& back);

// True when some failure line is "Folder: " + a path naming `folder`.
bool ReportsFolder(const scenario::Bench& bench, const std::string& folder);

void PrintTo(const Case& c, std::ostream* out);  // names the case in test output
// The case's name as a test name: anything but letters and digits becomes '_'.
std::string CaseName(const ::testing::TestParamInfo<Case>& info);

}  // namespace catalogue
