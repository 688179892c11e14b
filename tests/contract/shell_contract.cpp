// The shell's delete, on both machines: into the Recycle Bin with the undo
// flag, for good without it.
#include <algorithm>

#include "tests/contract/contract_fixture.h"
#include "tests/support/ascii_text.h"

namespace {

// The source list of the shell call: one path ended by two NULs.
std::string OneItem(const std::string& path) { return path + std::string(2, '\0'); }

using ascii::Lower;

bool Holds(const std::vector<std::string>& paths, const std::string& path) {
  return std::any_of(paths.begin(), paths.end(),
                     [&](const std::string& p) { return Lower(p) == Lower(path); });
}

}  // namespace

class ShellDeleteTest : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    ASSERT_TRUE(machine->MakeFolder(In("Victim")));
    ASSERT_TRUE(machine->PutFile(In("Victim\\a.txt"), "a"));
    ASSERT_TRUE(machine->MakeFolder(In("Victim\\Inner")));
    ASSERT_TRUE(machine->PutFile(In("Victim\\Inner\\b.txt"), "b"));
    ASSERT_TRUE(machine->SetAttributes(In("Victim\\Inner\\b.txt"), kAttrReadOnly));
  }
  int Delete(const std::string& path, unsigned flags) {
    std::string list = OneItem(path);
    return services->ShellFileOperation(0, kFoDelete, list.c_str(), flags);
  }
};

TEST_F(ShellDeleteTest, FolderGoesToTheRecycleBinWithItsContents) {
  EXPECT_EQ(Delete(In("Victim"), kRecycleFlags), 0);
  EXPECT_FALSE(machine->Exists(In("Victim")));
  // The Recycle Bin lists the folder as one item.
  const std::vector<std::string> recycled = machine->RecycledFrom(scratch);
  EXPECT_EQ(recycled.size(), 1u);
  EXPECT_TRUE(Holds(recycled, In("Victim")));
}

TEST_F(ShellDeleteTest, SingleFileGoesToTheRecycleBin) {
  EXPECT_EQ(Delete(In("Victim\\a.txt"), kRecycleFlags), 0);
  EXPECT_FALSE(machine->Exists(In("Victim\\a.txt")));
  EXPECT_TRUE(machine->Exists(In("Victim\\Inner\\b.txt")));
  EXPECT_TRUE(Holds(machine->RecycledFrom(scratch), In("Victim\\a.txt")));
}

TEST_F(ShellDeleteTest, PathEndingInBackslashDeletesNothingYetSucceeds) {
  EXPECT_EQ(Delete(In("Victim\\"), kRecycleFlags), 0);
  EXPECT_TRUE(machine->Exists(In("Victim\\Inner\\b.txt")));
  EXPECT_TRUE(machine->RecycledFrom(scratch).empty());
}

TEST_F(ShellDeleteTest, MissingPathFails) {
  EXPECT_EQ(Delete(In("Absent"), kRecycleFlags), winerr::kFileNotFound);
  EXPECT_NE(Delete(In("Absent\\Deeper"), kRecycleFlags), 0);
  EXPECT_TRUE(machine->RecycledFrom(scratch).empty());
}

// The shell expands wildcards in the last name: a path with '*' deletes
// every entry it matches, and a pattern that matches nothing is no error.
TEST_F(ShellDeleteTest, WildcardDeletesEveryMatch) {
  ASSERT_TRUE(machine->PutFile(In("Victim.txt"), "v"));
  EXPECT_EQ(Delete(In("Vic*"), kRecycleFlags), 0);
  EXPECT_FALSE(machine->Exists(In("Victim")));
  EXPECT_FALSE(machine->Exists(In("Victim.txt")));
  EXPECT_EQ(Delete(In("*.none"), kRecycleFlags), 0);
}

TEST_F(ShellDeleteTest, WithoutUndoTheTreeIsDeletedForGood) {
  EXPECT_EQ(Delete(In("Victim"), kRecycleFlags & ~kFofAllowUndo), 0);
  EXPECT_FALSE(machine->Exists(In("Victim")));
  EXPECT_TRUE(machine->RecycledFrom(scratch).empty());
}

TEST_F(ShellDeleteTest, WithoutUndoHeldFileOrCurrentFolderStopsTheDelete) {
  ASSERT_TRUE(machine->HoldOpen(In("Victim\\Inner\\b.txt")));
  EXPECT_NE(Delete(In("Victim"), kRecycleFlags & ~kFofAllowUndo), 0);
  EXPECT_TRUE(machine->Exists(In("Victim\\Inner\\b.txt")));
  machine->ReleaseHeld();

  ASSERT_TRUE(services->SetCurrentDir(In("Victim\\Inner")));
  EXPECT_EQ(Delete(In("Victim"), kRecycleFlags & ~kFofAllowUndo), winerr::kSharingViolation);
  EXPECT_TRUE(machine->Exists(In("Victim\\Inner")));
  EXPECT_TRUE(machine->RecycledFrom(scratch).empty());
}

TEST_F(ShellDeleteTest, DoubledSeparatorNamesTheSameFolder) {
  EXPECT_EQ(Delete(scratch + "\\\\Victim", kRecycleFlags), 0);
  EXPECT_FALSE(machine->Exists(In("Victim")));
}

// With the undo flag Wine moves the whole item on the host side, so neither
// a held file nor the current folder deeper inside stops it (Windows would
// refuse both). When the item itself is in use, Wine deletes for good
// instead: a current folder loses its contents, which are not recycled,
// and stays; a held file stays.
TEST_F(ShellDeleteTest, RecycleBinStoppedOnlyByAnItemInUse) {
  ASSERT_TRUE(services->SetCurrentDir(In("Victim\\Inner")));
  EXPECT_EQ(Delete(In("Victim\\Inner"), kRecycleFlags), winerr::kSharingViolation);
  EXPECT_TRUE(machine->Exists(In("Victim\\Inner")));
  EXPECT_FALSE(machine->Exists(In("Victim\\Inner\\b.txt"))) << "lost for good";
  EXPECT_TRUE(machine->RecycledFrom(scratch).empty());

  ASSERT_TRUE(machine->HoldOpen(In("Victim\\a.txt")));
  EXPECT_EQ(Delete(In("Victim\\a.txt"), kRecycleFlags), winerr::kSharingViolation);
  EXPECT_TRUE(machine->Exists(In("Victim\\a.txt")));

  // Still held, and the current folder still inside: the folder goes whole.
  EXPECT_EQ(Delete(In("Victim"), kRecycleFlags), 0);
  EXPECT_FALSE(machine->Exists(In("Victim")));
  EXPECT_TRUE(Holds(machine->RecycledFrom(scratch), In("Victim")));
}
