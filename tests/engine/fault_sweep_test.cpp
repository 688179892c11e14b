// Every service call of a complete run fails once, in turn: no run may lose
// student data, delete what is not the product's, leak a handle, or keep
// quiet about what it left behind. And the run is ended at every call of its
// backup, as a killed process ends, and started again.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "shared/path_rules.h"
#include "tests/support/fault_sweep.h"
#include "tests/support/scenario.h"

using scenario::Bench;

TEST(FaultSweep, EveryFailingCallIsSurvivedAndReported) {
  std::size_t total = 0;
  const std::size_t held = faults::SweepEveryCall(
      [](Bench& b) { return scenario::SeedSimulatedInstallation(b); }, false, total,
      [](std::size_t k, const std::string& subject, const std::string& problem) {
        ADD_FAILURE() << "call " << k << " (" << subject << "): " << problem;
      });
  std::printf("fault sweep: %zu calls, %zu of %zu runs held\n", total, held, total);
  EXPECT_EQ(held, total);
}

namespace {

// Every entry below `folder`: comparable relative path -> bytes, "<folder>"
// for a folder.
std::map<std::string, std::string> TreeOf(const SimMachine& m, const std::string& folder) {
  std::map<std::string, std::string> tree;
  for (const std::string& path : m.ListTree(folder)) {
    std::string bytes = "<folder>";
    if (!m.IsFolder(path)) m.ReadFile(path, bytes);
    tree[ComparablePath(path.substr(folder.size()))] = bytes;
  }
  return tree;
}

}  // namespace

// The process ends at each call of step 1 in turn, with no clean-up (a shut
// down, an ended task, a power cut: a copy under way is cut short), and the
// program is started again; with a new backup, and with an earlier one that
// holds a student file. After both runs every student file is whole in
// place, in the backup or in the Recycle Bin, the report names what is left,
// and the backup of the run that says "Success!" equals the Students folder.
// A new backup is never found partial under its own name.
TEST(FaultSweep, EveryInterruptionOfTheBackupIsMadeGoodByTheNextRun) {
  for (const bool earlier : {false, true}) {
    std::size_t before = 0;
    std::size_t stepOne = 0;  // calls from the press to the end of the copy
    std::map<std::string, std::string> students;
    {
      Bench b;
      scenario::SeedSimulatedInstallation(b);
      students = TreeOf(*b.machine, scenario::kStudents);
      if (earlier) b.machine->AddFile(scenario::kBackup + "\\roster.txt", students["\\roster.txt"]);
      before = b.machine->CallCount();
      ASSERT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
      for (std::size_t k = before; k < b.machine->CallCount(); ++k)
        if (b.machine->Calls()[k].subject.find(texts::kBackupName) != std::string::npos)
          stepOne = k + 1 - before;
    }
    ASSERT_GT(stepOne, 0u);
    std::size_t held = 0;
    for (std::size_t n = 1; n <= stepOne; ++n) {
      Bench first;
      scenario::Installation inst = scenario::SeedSimulatedInstallation(first);
      if (earlier)
        first.machine->AddFile(scenario::kBackup + "\\roster.txt", students["\\roster.txt"]);
      first.machine->InterruptAtCallNumber(before + n);
      first.engine.Run(scenario::kLocation);
      first.machine->StartNewProcess();
      const bool partial = !earlier && first.machine->Exists(scenario::kBackup) &&
                           TreeOf(*first.machine, scenario::kBackup) != students;

      Bench second(std::move(first.machine));
      scenario::StartProgram(second);
      const RunOutcome outcome = second.engine.Run(scenario::kLocation);
      std::vector<std::string> problems = scenario::CheckPromises(second, inst);
      if (partial) problems.push_back("a new backup partial under its own name");
      if (outcome != RunOutcome::Finished) problems.push_back("second run did not finish");
      if (!second.ui.AnyBoxContains(texts::kSuccess))
        problems.push_back("second run did not succeed");
      else if (TreeOf(*second.machine, scenario::kBackup) != students)
        problems.push_back("backup differs from the Students folder");
      if (problems.empty()) ++held;
      for (const std::string& problem : problems)
        ADD_FAILURE() << "ended at call " << n << " ("
                      << second.machine->Calls()[before + n - 1].subject << "): " << problem;
    }
    std::printf("interruption sweep%s: %zu calls in step 1, %zu of %zu interruptions held\n",
                earlier ? " into an earlier backup" : "", stepOne, held, stepOne);
    EXPECT_EQ(held, stepOne);
  }
}
