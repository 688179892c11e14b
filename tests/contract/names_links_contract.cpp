// What the file calls make of names outside the ANSI code page, of folder
// links and of path texts at the ANSI length limit, on both machines.
#include <algorithm>
#include <utility>

#include "tests/contract/contract_fixture.h"

namespace {

// Every entry but "." and ".." of those a search reported: name and
// whether the name is a stand-in, sorted.
std::vector<std::pair<std::string, bool>> Listed(const std::vector<FindData>& found) {
  std::vector<std::pair<std::string, bool>> entries;
  for (const FindData& data : found)
    if (data.name != "." && data.name != "..") entries.emplace_back(data.name, data.nameNotAnsi);
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace

// A fullwidth "ａ" comes back as "a", CJK as "?"; both are flagged. A
// Latin-1 name is held by the code page as it is.
TEST_F(ContractTest, NamesOutsideTheCodePageComeBackFlagged) {
  ASSERT_TRUE(machine->PutFile(In("a.txt"), "plain"));
  ASSERT_TRUE(machine->PutFileNamedInUtf8(scratch, u8"\uFF41.txt", "fullwidth"));
  ASSERT_TRUE(machine->PutFileNamedInUtf8(scratch, u8"\u65E5\u672C.txt", "cjk"));
  ASSERT_TRUE(machine->PutFileNamedInUtf8(scratch, u8"caf\u00E9.txt", "latin"));
  const std::vector<std::pair<std::string, bool>> expected = {
      {"??.txt", true}, {"a.txt", false}, {"a.txt", true}, {"caf\xE9.txt", false}};
  EXPECT_EQ(Listed(Entries(In("*"))), expected);
  // The ANSI name reaches the plain file only.
  std::string bytes;
  EXPECT_TRUE(machine->GetFile(In("a.txt"), bytes) && bytes == "plain");
  EXPECT_TRUE(machine->GetFile(In("caf\xE9.txt"), bytes) && bytes == "latin");
  // Known by its real name: the path itself where the code page holds it,
  // else its short (8.3) path, which reaches it; nothing where nothing is.
  std::string spelt;
  EXPECT_EQ(services->SpellInAnsi(scratch + u8"\\caf\u00E9.txt", spelt), AnsiSpelling::Exact);
  EXPECT_EQ(spelt, In("caf\xE9.txt"));
  ASSERT_EQ(services->SpellInAnsi(scratch + u8"\\\u65E5\u672C.txt", spelt), AnsiSpelling::Short);
  EXPECT_TRUE(machine->GetFile(spelt, bytes) && bytes == "cjk") << spelt;
  EXPECT_EQ(services->SpellInAnsi(scratch + u8"\\\u65E5.txt", spelt), AnsiSpelling::None);
  EXPECT_TRUE(winerr::IsAbsence(services->LastError()));
}

// A link reports 0x410, leads to its target's entries, and removing it while
// its target holds something fails (145) with nothing changed.
TEST_F(ContractTest, FolderLinksAreReportedAndLeadToTheirTarget) {
  ASSERT_TRUE(machine->MakeFolder(In("target")));
  ASSERT_TRUE(machine->PutFile(In("target\\f.txt"), "f"));
  ASSERT_TRUE(machine->MakeFolderLink(In("link"), In("target")));
  UniqueFind find(*services);
  FindData data;
  ASSERT_TRUE(find.First(In("link"), data));
  EXPECT_EQ(data.attributes & (kAttrDirectory | kAttrReparsePoint),
            kAttrDirectory | kAttrReparsePoint);
  EXPECT_EQ(machine->Attributes(In("target")) & kAttrReparsePoint, 0u);

  ASSERT_TRUE(services->SetCurrentDir(In("link")));
  EXPECT_TRUE(FindFile(*services, "f.txt"));
  ASSERT_TRUE(services->SetCurrentDir(scratch));
  EXPECT_FALSE(services->RemoveDir(In("link")));
  EXPECT_EQ(services->LastError(), winerr::kDirNotEmpty);
  EXPECT_TRUE(machine->Exists(In("target\\f.txt")));

  // With nothing in the folder, the folder goes and the link stays, leading
  // nowhere (Windows would remove the link).
  ASSERT_TRUE(machine->MakeFolder(In("empty")));
  ASSERT_TRUE(machine->MakeFolderLink(In("to-empty"), In("empty")));
  EXPECT_TRUE(services->RemoveDir(In("to-empty")));
  EXPECT_FALSE(machine->Exists(In("empty")));
}

// The long path of a name below a link keeps the link's name: the names are
// looked up one by one, and the ones below the link are its target's.
TEST_F(ContractTest, ALongPathThroughALinkKeepsTheLinksName) {
  ASSERT_TRUE(machine->MakeFolder(In("target")));
  ASSERT_TRUE(machine->MakeFolder(In("target\\Long Inner Name")));
  ASSERT_TRUE(machine->MakeFolderLink(In("link"), In("target")));
  const std::string shortPath = machine->ShortPath(In("target\\Long Inner Name"));
  const std::string shortName = shortPath.substr(shortPath.rfind('\\') + 1);
  ASSERT_NE(shortName, "Long Inner Name");
  std::string resolved;
  ASSERT_TRUE(services->LongPathName(In("link\\" + shortName), resolved));
  EXPECT_EQ(resolved, In("link\\Long Inner Name"));
}

// The ANSI calls measure the text they are given: 260 characters pass and
// 261 fail with 206, doubled separators counted, although they name the
// same folder.
TEST_F(ContractTest, PathTextsBeyondTheLimitAreRefused) {
  ASSERT_TRUE(machine->MakeFolder(In("f")));
  const std::string tail = "\\f";
  auto padded = [&](std::size_t length) {
    return scratch + std::string(length - scratch.size() - tail.size(), '\\') + tail;
  };
  EXPECT_TRUE(services->SetCurrentDir(padded(260)));
  EXPECT_FALSE(services->SetCurrentDir(padded(261)));
  EXPECT_EQ(services->LastError(), winerr::kFilenameTooLong);
  EXPECT_FALSE(services->MakeDirectory(padded(261) + "x"));
  EXPECT_EQ(services->LastError(), winerr::kFilenameTooLong);
  FindData data;
  EXPECT_EQ(services->FindFirst(padded(261), data), 0u);
  EXPECT_EQ(services->LastError(), winerr::kFilenameTooLong);
  ASSERT_TRUE(services->SetCurrentDir(scratch));
  EXPECT_FALSE(services->RemoveDir(padded(261)));
  EXPECT_EQ(services->LastError(), winerr::kFilenameTooLong);
  EXPECT_TRUE(services->RemoveDir(padded(260)));
}
