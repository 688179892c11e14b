#include "tests/support/fault_sweep.h"

namespace faults {
namespace {

// A desktop or Start menu the run could not read hides the shortcuts in it.
bool HidesShortcuts(const SimMachine::CallRecord& call) {
  return call.call == SimMachine::Call::SpecialFolderPath &&
         (call.subject == "0x19" || call.subject == "0x16" || call.subject == "0x0B" ||
          call.subject == "0x10");
}

// A failed close leaves the simulated handle open.
bool LeavesHandleOpen(const SimMachine::CallRecord& call) {
  return call.call == SimMachine::Call::CloseKey || call.call == SimMachine::Call::CloseFind;
}

}  // namespace

Result RunWithFaults(const Prepare& prepare, const Calls& failing, bool shortcutsMayBeUnknown) {
  scenario::Bench bench;
  const scenario::Installation installation = prepare(bench);
  SimMachine& m = *bench.machine;
  Result result;
  result.setupCalls = m.CallCount();
  const long errors[] = {winerr::kAccessDenied, winerr::kSharingViolation, winerr::kDirNotEmpty};
  for (std::size_t k : failing) m.FailCallNumber(result.setupCalls + k, errors[k % 3]);
  const RunOutcome outcome = bench.engine.Run(installation.location);
  result.calls = m.CallCount() - result.setupCalls;

  bool unreadFolder = shortcutsMayBeUnknown;
  bool closeFailed = false;
  for (std::size_t k : failing) {
    if (k > result.calls) continue;  // the run ended sooner
    const SimMachine::CallRecord& failed = m.Calls()[result.setupCalls + k - 1];
    if (result.subject.empty()) result.subject = failed.subject;
    unreadFolder = unreadFolder || HidesShortcuts(failed);
    closeFailed = closeFailed || LeavesHandleOpen(failed);
  }
  result.problems = scenario::CheckPromises(bench, installation, unreadFolder);
  if (outcome != RunOutcome::Finished) result.problems.push_back("run did not finish");
  if (bench.ui.ProgressOpen()) result.problems.push_back("progress window left open");
  if (!closeFailed && (m.OpenKeyCount() != 0 || m.LiveFinds() != 0))
    result.problems.push_back("handle leaked");
  return result;
}

std::size_t SweepEveryCall(const Prepare& prepare, bool shortcutsMayBeUnknown, std::size_t& total,
                           const Report& report) {
  const Result clean = RunWithFaults(prepare, {}, shortcutsMayBeUnknown);
  for (const std::string& problem : clean.problems) report(0, "no failing call", problem);
  total = clean.calls;
  std::size_t held = 0;
  for (std::size_t k = 1; k <= total; ++k) {
    Result result = RunWithFaults(prepare, {k}, shortcutsMayBeUnknown);
    // The same case must reach the press the same way, or call k is another call.
    if (result.setupCalls != clean.setupCalls)
      result.problems.push_back("the case was laid down with other calls");
    if (result.problems.empty()) ++held;
    for (const std::string& problem : result.problems) report(k, result.subject, problem);
  }
  return held;
}

}  // namespace faults
