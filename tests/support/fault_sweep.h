// The one fault sweep: a run with chosen service calls failing, judged by the
// promises every run keeps, and every call of a run failing once in turn.
// The engine's own sweep and the reliability sweep differ only in the cases
// they give it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/scenario.h"

namespace faults {

// Call numbers, counted from the press of the remove button.
using Calls = std::vector<std::size_t>;
// Lays a case down on a fresh bench, as the program finds it at the press.
using Prepare = std::function<scenario::Installation(scenario::Bench&)>;
// Hears one broken promise: the failing call's number and subject.
using Report = std::function<void(std::size_t call, const std::string& subject,
                                  const std::string& problem)>;

struct Result {
  std::vector<std::string> problems;  // the broken promises
  std::size_t setupCalls = 0;         // the calls before the press
  std::size_t calls = 0;              // the calls from the press on
  std::string subject;                // of the first failing call that was made
};

// One run of the prepared case with the calls `failing` failing (with 5, 32 or 145, by number).
// `shortcutsMayBeUnknown`: the case hides shortcuts from the run anyway.
Result RunWithFaults(const Prepare& prepare, const Calls& failing,
                     bool shortcutsMayBeUnknown = false);

// Runs the case clean (its problems reported as call 0), then with each of
// its calls failing in turn; sets `total` to the calls and returns how many
// of those runs held.
std::size_t SweepEveryCall(const Prepare& prepare, bool shortcutsMayBeUnknown, std::size_t& total,
                           const Report& report);

}  // namespace faults
