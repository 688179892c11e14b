// The benchmark's own parts that figures depend on: the tree generator must
// give the same tree for the same seed and honour its shape, and the counting
// services must forward calls and their error codes unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "bench/counting_services.h"
#include "bench/startup/command_tail.h"
#include "bench/tree_gen.h"
#include "tests/support/engine_units.h"
#include "tests/support/fake_run_ui.h"
#include "tests/support/sim_machine.h"

namespace {

TreeShape SmallShape(std::uint64_t seed) {
  TreeShape shape;
  shape.seed = seed;
  shape.files = 300;
  shape.depth = 3;
  shape.fanOut = 3;
  shape.minSize = 10;
  shape.maxSize = 500;
  return shape;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

TEST(TreeGen, SameSeedSameTreeOtherSeedOtherTree) {
  const auto first = PlanTree(SmallShape(5));
  const auto again = PlanTree(SmallShape(5));
  const auto other = PlanTree(SmallShape(6));
  ASSERT_EQ(first.size(), again.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].path, again[i].path);
    EXPECT_EQ(first[i].size, again[i].size);
    EXPECT_EQ(FileBytes(first[i]), FileBytes(again[i]));
  }
  bool differs = false;
  for (std::size_t i = 0; i < std::min(first.size(), other.size()); ++i)
    differs = differs || first[i].path != other[i].path || first[i].size != other[i].size;
  EXPECT_TRUE(differs);
}

TEST(TreeGen, HonoursShapeAndPutsEveryFolderBeforeItsContents) {
  const TreeShape shape = SmallShape(9);
  const auto plan = PlanTree(shape);
  const TreeTotals totals = Totals(plan);
  EXPECT_EQ(totals.files, shape.files);
  EXPECT_EQ(totals.folders, 3 + 9 + 27);  // fan-out 3 on three levels
  std::set<std::string> seen{""};
  std::set<std::string> names;
  for (const TreeEntry& entry : plan) {
    EXPECT_TRUE(seen.count(ParentOf(entry.path))) << entry.path;
    EXPECT_TRUE(names.insert(entry.path).second) << "twice: " << entry.path;
    // The engine skips names that begin with a full stop; none may.
    EXPECT_NE(entry.path[entry.path.rfind('/') + 1], '.');
    EXPECT_LE(std::count(entry.path.begin(), entry.path.end(), '/'), shape.depth);
    if (entry.folder) {
      seen.insert(entry.path);
    } else {
      EXPECT_GE(entry.size, shape.minSize);
      EXPECT_LE(entry.size, shape.maxSize);
      EXPECT_EQ(FileBytes(entry).size(), entry.size);
    }
  }
}

TEST(TreeGen, ReadsOnlyKnownNonNegativeOptions) {
  TreeShape shape;
  EXPECT_TRUE(ReadShapeOption("files=1234", shape));
  EXPECT_TRUE(ReadShapeOption("fanout=4", shape));
  EXPECT_EQ(shape.files, 1234);
  EXPECT_EQ(shape.fanOut, 4);
  EXPECT_FALSE(ReadShapeOption("files=-1", shape));
  EXPECT_FALSE(ReadShapeOption("colour=3", shape));
  EXPECT_FALSE(ReadShapeOption("files", shape));
  EXPECT_EQ(shape.files, 1234);
}

// The engine's backup and rollback through the counting services on the
// simulated machine: the copy is complete, every call is counted, and the
// rollback leaves nothing behind.
TEST(CountingServices, ForwardsTheEnginesWorkAndItsErrorCodes) {
  auto machine = SimMachine::StandardLayout();
  const auto plan = PlanTree(SmallShape(3));
  ASSERT_TRUE(WriteTreeToSim(plan, *machine, "C:\\Data\\Students", true));
  CountingServices services(*machine);
  FakeRunUi ui(false, 0);
  EngineUnits units(services, ui);

  ASSERT_TRUE(services.MakeDirectory("C:\\Data\\Copy"));
  EXPECT_FALSE(services.MakeDirectory("C:\\Data\\Copy"));
  EXPECT_EQ(services.LastError(), winerr::kAlreadyExists);

  ASSERT_TRUE(units.copy.CopyFolderTree("C:\\Data\\Students", "C:\\Data\\Copy"));
  const TreeTotals totals = Totals(plan);
  EXPECT_EQ(services.Of(CountingServices::kCopyOneFile).calls,
            static_cast<std::uint64_t>(totals.files));
  for (const TreeEntry& entry : plan) {
    std::string copied;
    std::string path = "C:\\Data\\Copy\\" + entry.path;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (entry.folder) {
      EXPECT_TRUE(machine->IsFolder(path)) << path;
    } else {
      ASSERT_TRUE(machine->ReadFile(path, copied)) << path;
      EXPECT_EQ(copied, FileBytes(entry));
    }
  }

  services.Reset();
  ASSERT_TRUE(units.deletion.DeleteFolderTree("C:\\Data", "Copy"));
  EXPECT_FALSE(machine->Exists("C:\\Data\\Copy"));
  EXPECT_EQ(services.Of(CountingServices::kRemoveFile).calls,
            static_cast<std::uint64_t>(totals.files));
  EXPECT_EQ(ui.DetailUpdates(), totals.files);
  EXPECT_TRUE(ui.Boxes().empty());
  EXPECT_NE(services.Report().find("RemoveFile"), std::string::npos);
}

TEST(CommandTail, PassesTheRestOfTheLineOnAsGiven) {
  EXPECT_STREQ(CommandAfter("launch_timer.exe exit xcopy a b /E", 2), "xcopy a b /E");
  EXPECT_STREQ(CommandAfter("\"C:\\My Tools\\t.exe\"  window \"Minimal Dialog\" m.exe", 3),
               "m.exe");
  EXPECT_STREQ(CommandAfter("t.exe exit   cmd /c \"rmdir /s\"", 2), "cmd /c \"rmdir /s\"");
  EXPECT_STREQ(CommandAfter("t.exe exit", 2), "");
  EXPECT_STREQ(CommandAfter("t.exe", 3), "");
}

}  // namespace
