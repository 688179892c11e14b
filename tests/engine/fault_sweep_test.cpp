// Every service call of a complete run fails once, in turn: no run may lose
// student data, delete what is not the product's, leak a handle, or keep
// quiet about what it left behind. And the run is ended at every call of its
// backup, as a killed process ends, and started again.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "shared/path_rules.h"
#include "tests/engine/scenario.h"

using scenario::Bench;

TEST(FaultSweep, EveryFailingCallIsSurvivedAndReported) {
  std::size_t before = 0;
  std::size_t total = 0;
  {
    Bench b;
    scenario::Installation inst = scenario::SeedInstallation(b);
    before = b.machine->CallCount();
    ASSERT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
    total = b.machine->CallCount() - before;
    ASSERT_TRUE(scenario::CheckPromises(b, inst).empty());
  }
  std::size_t held = 0;
  for (std::size_t k = 1; k <= total; ++k) {
    Bench b;
    scenario::Installation inst = scenario::SeedInstallation(b);
    ASSERT_EQ(b.machine->CallCount(), before);
    b.machine->FailCallNumber(before + k);
    RunOutcome outcome = b.engine.Run(scenario::kLocation);

    const SimMachine::CallRecord& failed = b.machine->Calls()[before + k - 1];
    // A desktop or Start menu the run could not read hides the shortcuts in it.
    const bool unreadFolder = failed.call == SimMachine::Call::SpecialFolderPath &&
                              (failed.subject == "0x19" || failed.subject == "0x16" ||
                               failed.subject == "0x0B" || failed.subject == "0x10");
    // A failed close leaves the simulated handle open.
    const bool closeFailed = failed.call == SimMachine::Call::CloseKey ||
                             failed.call == SimMachine::Call::CloseFind;
    std::vector<std::string> problems = scenario::CheckPromises(b, inst, unreadFolder);
    if (outcome != RunOutcome::Finished) problems.push_back("run did not finish");
    if (b.ui.ProgressOpen()) problems.push_back("progress window left open");
    if (!closeFailed && (b.machine->OpenKeyCount() != 0 || b.machine->LiveFinds() != 0))
      problems.push_back("handle leaked");
    if (problems.empty()) ++held;
    for (const std::string& problem : problems)
      ADD_FAILURE() << "call " << k << " (" << failed.subject << "): " << problem;
  }
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
// program is started again. After both runs every student file is whole in
// place, in the backup or in the Recycle Bin, the report names what is left,
// and the backup of the run that says "Success!" equals the Students folder.
TEST(FaultSweep, EveryInterruptionOfTheBackupIsMadeGoodByTheNextRun) {
  std::size_t before = 0;
  std::size_t stepOne = 0;  // calls from the press to the end of the copy
  std::map<std::string, std::string> students;
  {
    Bench b;
    scenario::SeedInstallation(b);
    students = TreeOf(*b.machine, scenario::kStudents);
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
    scenario::Installation inst = scenario::SeedInstallation(first);
    first.machine->InterruptAtCallNumber(before + n);
    first.engine.Run(scenario::kLocation);
    first.machine->StartNewProcess();

    Bench second(std::move(first.machine));
    scenario::StartProgram(second);
    const RunOutcome outcome = second.engine.Run(scenario::kLocation);
    std::vector<std::string> problems = scenario::CheckPromises(second, inst);
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
  std::printf("interruption sweep: %zu calls in step 1, %zu of %zu interruptions held\n",
              stepOne, held, stepOne);
  EXPECT_EQ(held, stepOne);
}
