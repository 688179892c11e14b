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
#include "tests/support/fault_sweep.h"

namespace {

using Faults = faults::Calls;

// The case laid down on a bench of the sweep's.
faults::Prepare Laying(const catalogue::Case& c) {
  return [&c](scenario::Bench& bench) { return catalogue::PrepareOn(c, bench); };
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
  const std::size_t held = faults::SweepEveryCall(
      Laying(c), c.shortcutsMayBeUnknown, total,
      [&](std::size_t k, const std::string&, const std::string& problem) {
        ADD_FAILURE() << Describe(c, {k}) << ": " << problem;
      });
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
  const faults::Result clean = faults::RunWithFaults(Laying(complete), {});
  ASSERT_TRUE(clean.problems.empty());
  total = clean.calls;
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
    const std::vector<std::string> problems =
        faults::RunWithFaults(Laying(complete), {pair.first, pair.second}).problems;
    if (problems.empty()) ++held;
    for (const std::string& problem : problems)
      ADD_FAILURE() << Describe(complete, {pair.first, pair.second}) << ": " << problem;
  }
  std::printf("fault pairs: %zu calls, %zu pairs sampled (seed %u), %zu held\n", total,
              pairs.size(), kSeed, held);
  EXPECT_EQ(held, pairs.size());
}

}  // namespace
