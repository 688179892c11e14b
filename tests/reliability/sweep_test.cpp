// Fault injection over the catalogue: every service call of every small
// catalogue run fails once, in turn; and for the complete installation,
// sampled pairs of calls fail together. No run may crash, lose student
// data, touch what is not the product's or keep quiet about a leftover.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>
#include <utility>

#include "tests/reliability/catalogue.h"

namespace {

using Faults = std::vector<std::size_t>;  // call numbers counted from the press

// One run of `c` with the calls `faults` failing; the broken promises.
std::vector<std::string> RunWithFaults(const catalogue::Case& c, const Faults& faults,
                                       std::size_t* callsMade = nullptr) {
  catalogue::Prepared p;
  catalogue::Prepare(c, p);
  SimMachine& m = *p.bench.machine;
  const std::size_t before = m.CallCount();
  for (std::size_t k : faults) m.FailCallNumber(before + k);
  const RunOutcome outcome = p.bench.engine.Run(p.installation.location);
  if (callsMade) *callsMade = m.CallCount() - before;

  bool unreadFolder = c.shortcutsMayBeUnknown;
  bool closeFailed = false;
  for (std::size_t k : faults) {
    if (before + k > m.Calls().size()) continue;  // the run ended sooner
    const SimMachine::CallRecord& failed = m.Calls()[before + k - 1];
    // A desktop or Start menu the run could not read hides the shortcuts in it.
    unreadFolder = unreadFolder || (failed.call == SimMachine::Call::SpecialFolderPath &&
                                    (failed.subject == "0x19" || failed.subject == "0x16" ||
                                     failed.subject == "0x0B" || failed.subject == "0x10"));
    // A failed close leaves the simulated handle open.
    closeFailed = closeFailed || failed.call == SimMachine::Call::CloseKey ||
                  failed.call == SimMachine::Call::CloseFind;
  }
  std::vector<std::string> problems = scenario::CheckPromises(p.bench, p.installation, unreadFolder);
  if (outcome != RunOutcome::Finished) problems.push_back("run did not finish");
  if (p.bench.ui.ProgressOpen()) problems.push_back("progress window left open");
  if (!closeFailed && (m.OpenKeyCount() != 0 || m.LiveFinds() != 0))
    problems.push_back("handle leaked");
  return problems;
}

std::string Describe(const catalogue::Case& c, const Faults& faults) {
  std::string text = c.name + ", failing call";
  for (std::size_t k : faults) text += " " + std::to_string(k);
  return text;
}

class SingleFaults : public ::testing::TestWithParam<catalogue::Case> {};

TEST_P(SingleFaults, EveryFailingCallIsSurvived) {
  const catalogue::Case& c = GetParam();
  std::size_t total = 0;
  ASSERT_TRUE(RunWithFaults(c, {}, &total).empty());
  std::size_t held = 0;
  for (std::size_t k = 1; k <= total; ++k) {
    std::vector<std::string> problems = RunWithFaults(c, {k});
    if (problems.empty()) ++held;
    for (const std::string& problem : problems)
      ADD_FAILURE() << Describe(c, {k}) << ": " << problem;
  }
  std::printf("single faults, %s: %zu injection points, %zu of %zu runs held\n", c.name.c_str(),
              total, held, total);
  EXPECT_EQ(held, total);
}

std::vector<catalogue::Case> SweptCases() {
  std::vector<catalogue::Case> cases;
  for (const catalogue::Case& c : catalogue::RunCases())
    if (c.sweep) cases.push_back(c);
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, SingleFaults, ::testing::ValuesIn(SweptCases()),
                         catalogue::CaseName);

// Two failing calls at once in the complete installation: a fixed number of
// distinct pairs, drawn with a fixed seed so that every run tests the same.
TEST(FaultPairs, SampledPairsAreSurvived) {
  constexpr std::size_t kPairs = 600;
  constexpr unsigned kSeed = 20261208;
  catalogue::Case complete;
  complete.name = "CompleteInstallation";
  std::size_t total = 0;
  ASSERT_TRUE(RunWithFaults(complete, {}, &total).empty());
  ASSERT_GT(total, 2u);

  std::mt19937 random(kSeed);
  std::uniform_int_distribution<std::size_t> pick(1, total);
  std::set<std::pair<std::size_t, std::size_t>> pairs;
  while (pairs.size() < kPairs && pairs.size() < total * (total - 1) / 2) {
    std::size_t a = pick(random), b = pick(random);
    if (a != b) pairs.insert({std::min(a, b), std::max(a, b)});
  }
  std::size_t held = 0;
  for (const auto& pair : pairs) {
    std::vector<std::string> problems = RunWithFaults(complete, {pair.first, pair.second});
    if (problems.empty()) ++held;
    for (const std::string& problem : problems)
      ADD_FAILURE() << Describe(complete, {pair.first, pair.second}) << ": " << problem;
  }
  std::printf("fault pairs: %zu calls, %zu pairs sampled (seed %u), %zu held\n", total,
              pairs.size(), kSeed, held);
  EXPECT_EQ(held, pairs.size());
}

}  // namespace
