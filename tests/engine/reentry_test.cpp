// One run or browse at a time: the message boxes of a run and the folder
// browser run message loops, which may deliver another press of Remove or
// Browse before the first one has ended.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scenario.h"

using scenario::Bench;

TEST(Reentry, APressDuringAnyBoxOfARunDoesNothing) {
  Bench b;
  scenario::SeedSimulatedInstallation(b);
  std::vector<RunOutcome> nested;
  std::size_t callsBefore = 0;
  b.ui.onBox = [&](const FakeRunUi::Box&) {
    callsBefore = b.machine->CallCount();
    nested.push_back(b.engine.Run(scenario::kLocation));
    b.engine.Browse();
    EXPECT_EQ(b.machine->CallCount(), callsBefore) << "the nested press reached the machine";
  };
  const std::vector<std::string> failuresBefore = {"kept"};
  b.state.m_failures = failuresBefore;

  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
  // The patience prompt and the final report: each got a press, each ignored.
  EXPECT_EQ(nested, (std::vector<RunOutcome>{RunOutcome::Busy, RunOutcome::Busy}));
  ASSERT_EQ(b.ui.Boxes().size(), 2u) << "one prompt and one report, not two runs";
  const std::vector<std::string>& events = b.ui.Events();
  EXPECT_EQ(std::count(events.begin(), events.end(), "create"), 1);
  EXPECT_FALSE(b.engine.IsBusy());
}

TEST(Reentry, AnAbandonedOrDeclinedRunLeavesTheEngineFree) {
  Bench b;
  b.machine->AddFile(std::string(scenario::kLocation) + "\\MarloCoach.exe");
  b.state.m_location = scenario::kLocation;  // no Students folder: the backup fails
  std::vector<RunOutcome> nested;
  b.ui.onBox = [&](const FakeRunUi::Box&) { nested.push_back(b.engine.Run("")); };
  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
  EXPECT_EQ(nested.size(), b.ui.Boxes().size());
  for (RunOutcome outcome : nested) EXPECT_EQ(outcome, RunOutcome::Busy);
  EXPECT_FALSE(b.engine.IsBusy());

  b.ui.onBox = nullptr;
  b.ui.Answer(BoxAnswer::Cancel);
  EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Declined);
  EXPECT_FALSE(b.engine.IsBusy());
}

TEST(Reentry, TheBrowserIsOwnedByTheMainWindowAndBlocksARun) {
  Bench b;
  b.machine->AddFolder("C:\\Other");
  b.machine->SetBrowseResult(std::string("C:\\Other"));  // no MarloCoach.exe: a question
  std::vector<RunOutcome> nested;
  b.ui.onBox = [&](const FakeRunUi::Box&) { nested.push_back(b.engine.Run("C:\\Other")); };
  b.engine.Browse();
  EXPECT_EQ(b.machine->LastBrowseOwner(), FakeRunUi::kMainWindow);
  EXPECT_EQ(nested, (std::vector<RunOutcome>{RunOutcome::Busy}));
  EXPECT_EQ(b.state.m_location, "C:\\Other");
  EXPECT_FALSE(b.engine.IsBusy());
  EXPECT_EQ(b.machine->ComDepth(), 0);
}
