// Every service call of a complete run fails once, in turn: no run may lose
// student data, delete what is not the product's, leak a handle, or keep
// quiet about what it left behind.
#include <gtest/gtest.h>

#include <cstdio>

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
