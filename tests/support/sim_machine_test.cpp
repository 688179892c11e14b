// What only the simulated machine offers: fault injection, the call log,
// denied keys, the standard layout and the Recycle Bin's contents, plus the
// corners of its own bookkeeping (handles, item lists, COM).
#include <gtest/gtest.h>

#include <set>

#include "services/handles.h"
#include "tests/support/sim_machine.h"

namespace {

using Call = SimMachine::Call;

std::string One(const std::string& path) { return path + std::string(2, '\0'); }

class SimMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = SimMachine::StandardLayout();
    ASSERT_TRUE(sim->AddFile("C:\\Apps\\Coach\\a.txt", "alpha", kAttrArchive, 42));
    ASSERT_TRUE(sim->AddFile("C:\\Apps\\Coach\\Deep\\b.txt", "beta", kAttrReadOnly, 43));
    ASSERT_TRUE(sim->AddKey(kHkeyLocalMachine, "Software\\Maker\\Product\\Sub"));
    ASSERT_TRUE(sim->SetStringValue(kHkeyLocalMachine, "Software\\Maker\\Product", "InstallPath",
                                    "C:\\Apps\\Coach"));
  }
  int ShellDelete(const std::string& path, unsigned flags = kRecycleFlags) {
    std::string list = One(path);
    return sim->ShellFileOperation(0, kFoDelete, list.c_str(), flags);
  }
  std::unique_ptr<SimMachine> sim;
};

TEST_F(SimMachineTest, FaultedFileCallsFailWithoutSideEffects) {
  sim->InjectFault({Call::RemoveFile, "", 0, winerr::kSharingViolation});
  sim->InjectFault({Call::MakeDirectory, "", 0, winerr::kAccessDenied});
  sim->InjectFault({Call::CopyOneFile, "", 0, 1392});
  sim->InjectFault({Call::ClearFileAttributes, "", 0, winerr::kAccessDenied});
  sim->InjectFault({Call::SetCurrentDir, "", 0, winerr::kAccessDenied});
  sim->InjectFault({Call::RemoveDir, "", 0, winerr::kAccessDenied});

  EXPECT_FALSE(sim->RemoveFile("C:\\Apps\\Coach\\a.txt"));
  EXPECT_EQ(sim->LastError(), winerr::kSharingViolation);
  EXPECT_FALSE(sim->MakeDirectory("C:\\Apps\\New"));
  EXPECT_FALSE(sim->CopyOneFile("C:\\Apps\\Coach\\a.txt", "C:\\Apps\\copy.txt", true));
  EXPECT_EQ(sim->LastError(), 1392);
  EXPECT_FALSE(sim->ClearFileAttributes("C:\\Apps\\Coach\\Deep\\b.txt"));
  EXPECT_FALSE(sim->SetCurrentDir("C:\\Apps"));
  EXPECT_FALSE(sim->RemoveDir("C:\\users\\tech\\Documents"));

  EXPECT_TRUE(sim->Exists("C:\\Apps\\Coach\\a.txt"));
  EXPECT_FALSE(sim->Exists("C:\\Apps\\New"));
  EXPECT_FALSE(sim->Exists("C:\\Apps\\copy.txt"));
  EXPECT_EQ(sim->GetAttributes("C:\\Apps\\Coach\\Deep\\b.txt"), kAttrReadOnly);
  EXPECT_EQ(sim->CurrentDir(), "C:\\");
  EXPECT_TRUE(sim->IsFolder("C:\\users\\tech\\Documents"));
}

TEST_F(SimMachineTest, FaultedSearchAndShellCallsFailWithoutSideEffects) {
  sim->InjectFault({Call::FindFirst, "", 0, winerr::kAccessDenied});
  sim->InjectFault({Call::ShellFileOperation, "Coach", 0, 0x78});
  FindData data;
  EXPECT_EQ(sim->FindFirst("C:\\Apps\\*", data), 0u);
  EXPECT_EQ(sim->LastError(), winerr::kAccessDenied);
  EXPECT_EQ(sim->LiveFinds(), 0);

  EXPECT_EQ(ShellDelete("C:\\Apps\\Coach"), 0x78);
  EXPECT_TRUE(sim->Exists("C:\\Apps\\Coach\\Deep\\b.txt"));
  EXPECT_TRUE(sim->Recycled().empty());
  EXPECT_EQ(ShellDelete("C:\\users\\tech\\Documents"), 0) << "another subject is not faulted";
}

TEST_F(SimMachineTest, FaultedRegistryCallsFailWithoutSideEffects) {
  RegKey key = 0;
  ASSERT_EQ(sim->OpenKey(kHkeyLocalMachine, "Software\\Maker\\Product", kKeyAllAccess, key), 0);
  sim->InjectFault({Call::OpenKey, "", 0, winerr::kAccessDenied});
  sim->InjectFault({Call::DeleteKey, "", 0, winerr::kAccessDenied});
  sim->InjectFault({Call::DeleteValue, "", 0, winerr::kAccessDenied});
  sim->InjectFault({Call::CloseKey, "", 0, winerr::kInvalidHandle});

  RegKey other = 77;
  EXPECT_EQ(sim->OpenKey(kHkeyLocalMachine, "Software", kKeyRead, other), winerr::kAccessDenied);
  EXPECT_EQ(other, 0u);
  EXPECT_EQ(sim->DeleteKey(key, "Sub"), winerr::kAccessDenied);
  EXPECT_EQ(sim->DeleteValue(key, "InstallPath"), winerr::kAccessDenied);
  EXPECT_EQ(sim->CloseKey(key), winerr::kInvalidHandle);

  EXPECT_TRUE(sim->KeyExists(kHkeyLocalMachine, "Software\\Maker\\Product\\Sub"));
  EXPECT_TRUE(sim->ValueExists(kHkeyLocalMachine, "Software\\Maker\\Product", "InstallPath"));
  EXPECT_EQ(sim->OpenKeyCount(), 1u) << "a failed close leaves the key open";
  sim->ClearFaults();
  EXPECT_EQ(sim->CloseKey(key), 0);
  EXPECT_EQ(sim->OpenKeyCount(), 0u);
}

TEST_F(SimMachineTest, FaultsCanAimAtTheNthMatchingCallOrAnOverallCallNumber) {
  sim->InjectFault({Call::CopyOneFile, "a.txt", 2, winerr::kAccessDenied});
  EXPECT_TRUE(sim->CopyOneFile("C:\\Apps\\Coach\\a.txt", "C:\\Apps\\1.txt", true));
  EXPECT_TRUE(sim->CopyOneFile("C:\\Apps\\Coach\\Deep\\b.txt", "C:\\Apps\\b.txt", true))
      << "another subject does not count";
  EXPECT_FALSE(sim->CopyOneFile("C:\\Apps\\Coach\\a.txt", "C:\\Apps\\2.txt", true));
  EXPECT_TRUE(sim->CopyOneFile("C:\\Apps\\Coach\\a.txt", "C:\\Apps\\3.txt", true));
  EXPECT_FALSE(sim->Exists("C:\\Apps\\2.txt"));

  const std::size_t next = sim->CallCount() + 2;
  sim->FailCallNumber(next, winerr::kPathNotFound);
  EXPECT_TRUE(sim->MakeDirectory("C:\\Apps\\N1"));
  EXPECT_FALSE(sim->MakeDirectory("C:\\Apps\\N2"));
  EXPECT_EQ(sim->LastError(), winerr::kPathNotFound);
  EXPECT_TRUE(sim->MakeDirectory("C:\\Apps\\N3"));
  EXPECT_FALSE(sim->Exists("C:\\Apps\\N2"));
}

TEST_F(SimMachineTest, CallLogRecordsEveryCallWithSubjectAndResult) {
  sim->InjectFault({Call::RemoveFile, "", 0, winerr::kAccessDenied});
  RegKey key = 0;
  sim->OpenKey(kHkeyLocalMachine, "software\\maker\\product", kKeyRead, key);
  std::string data;
  sim->QueryValue(key, "InstallPath", 4, data);
  sim->CloseKey(key);
  sim->RemoveFile("C:\\Apps\\Coach\\a.txt");
  EXPECT_TRUE(FindFile(*sim, "C:\\Apps\\Coach\\*.txt"));

  const auto& calls = sim->Calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].call, Call::OpenKey);
  EXPECT_EQ(calls[0].subject, "HKEY_LOCAL_MACHINE\\software\\maker\\product");
  EXPECT_EQ(calls[0].result, 0);
  EXPECT_EQ(calls[1].call, Call::QueryValue);
  EXPECT_NE(calls[1].subject.find("InstallPath"), std::string::npos);
  EXPECT_EQ(calls[1].result, winerr::kMoreData);
  EXPECT_EQ(calls[2].call, Call::CloseKey);
  EXPECT_EQ(calls[3].call, Call::RemoveFile);
  EXPECT_EQ(calls[3].result, 0) << "faulted calls are logged as failed";
  EXPECT_EQ(calls[4].call, Call::FindFirst);
  EXPECT_EQ(calls[4].result, 1);
  EXPECT_EQ(calls[5].call, Call::CloseFind);
  EXPECT_EQ(calls[5].subject, "C:\\Apps\\Coach\\*.txt");
}

TEST_F(SimMachineTest, DeniedKeyOpensForReadingOnly) {
  sim->DenyFullAccess(kHkeyLocalMachine, "Software\\Maker\\Product");
  RegKey key = 0;
  EXPECT_EQ(sim->OpenKey(kHkeyLocalMachine, "Software\\Maker\\Product", kKeyAllAccess, key),
            winerr::kAccessDenied);
  EXPECT_EQ(sim->OpenKey(kHkeyLocalMachine, "Software\\Maker\\Product", kKeyReadWrite, key),
            winerr::kAccessDenied);
  ASSERT_EQ(sim->OpenKey(kHkeyLocalMachine, "Software\\Maker\\Product", kKeyRead, key), 0);
  EXPECT_EQ(sim->CloseKey(key), 0);
  // Subkeys keep their own access.
  EXPECT_EQ(sim->OpenKey(kHkeyLocalMachine, "Software\\Maker\\Product\\Sub", kKeyAllAccess, key),
            0);
  sim->CloseKey(key);
}

TEST_F(SimMachineTest, KeyHandlesOutliveNothingTheyShouldNot) {
  RegKey parent = 0, child = 0;
  ASSERT_EQ(sim->OpenKey(kHkeyLocalMachine, "Software\\Maker\\Product", kKeyAllAccess, parent), 0);
  ASSERT_EQ(sim->OpenKey(parent, "Sub", kKeyReadWrite, child), 0);
  EXPECT_EQ(sim->OpenKeyCount(), 2u);
  EXPECT_EQ(sim->DeleteKey(parent, "Sub"), 0);
  std::string name;
  EXPECT_EQ(sim->EnumKey(child, 0, 256, name), 1018) << "a deleted key's handle";
  EXPECT_EQ(sim->CloseKey(child), 0);
  EXPECT_EQ(sim->CloseKey(child), winerr::kInvalidHandle);
  EXPECT_EQ(sim->CloseKey(kHkeyLocalMachine), 0) << "roots are never really closed";
  EXPECT_EQ(sim->CloseKey(parent), 0);
  EXPECT_EQ(sim->OpenKeyCount(), 0u);
}

TEST(SimMachineLayout, StandardLayoutLooksLikeAFreshWinePrefix) {
  auto sim = SimMachine::StandardLayout();
  const std::pair<int, const char*> folders[] = {
      {csidl::kCommonDesktopDirectory, "C:\\users\\Public\\Desktop"},
      {csidl::kDesktopDirectory, "C:\\users\\tech\\Desktop"},
      {csidl::kCommonStartMenu, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
      {csidl::kStartMenu, "C:\\users\\tech\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
      {csidl::kProfile, "C:\\users\\tech"},
      {csidl::kWindows, "C:\\windows"},
      {csidl::kSystem, "C:\\windows\\system32"},
      {csidl::kProgramFiles, "C:\\Program Files"},
      {csidl::kProgramFilesX86, "C:\\Program Files (x86)"},
      {csidl::kProgramFilesCommon, "C:\\Program Files\\Common Files"},
      {csidl::kAppData, "C:\\users\\tech\\AppData\\Roaming"},
      {csidl::kCommonAppData, "C:\\ProgramData"},
      {csidl::kPersonal, "C:\\users\\tech\\Documents"},
  };
  std::set<std::string> distinct;
  for (const auto& folder : folders) {
    std::string path = "stale";
    EXPECT_TRUE(sim->SpecialFolderPath(folder.first, path)) << folder.second;
    EXPECT_EQ(path, folder.second);
    EXPECT_TRUE(sim->IsFolder(folder.second));
    EXPECT_TRUE(distinct.insert(path).second) << "shared: " << path;
  }
  std::string path;
  EXPECT_TRUE(sim->ProfilesDirectory(path));
  EXPECT_EQ(path, "C:\\users");
  OsVersion version;
  ASSERT_TRUE(sim->GetOsVersion(version));
  EXPECT_EQ(version.major, 6u);
  EXPECT_EQ(version.minor, 1u);
  std::string user;
  EXPECT_TRUE(sim->UserName(1024, user));
  EXPECT_EQ(user, "tech");

  // Without the creation flag, a special folder that is gone cannot be had.
  path = "stale";
  ASSERT_TRUE(sim->RemoveDir("C:\\users\\tech\\Documents"));
  EXPECT_FALSE(sim->SpecialFolderPath(csidl::kPersonal, path));
  EXPECT_EQ(path, "");
  EXPECT_FALSE(sim->SpecialFolderPath(0x07, path)) << "a folder the machine has not got";
}

TEST(SimMachineLayout, SystemCallsFailLikeWindows) {
  auto sim = SimMachine::StandardLayout();
  std::string user = "stale";
  EXPECT_FALSE(sim->UserName(4, user)) << "\"tech\" and its NUL need 5";
  EXPECT_EQ(sim->LastError(), 122);
  EXPECT_EQ(user, "");
  EXPECT_TRUE(sim->UserName(5, user));

  sim->SetOsVersion(4, 0);
  sim->InjectFault({SimMachine::Call::GetOsVersion, "", 1, winerr::kInvalidParameter});
  OsVersion version;
  EXPECT_FALSE(sim->GetOsVersion(version));
  EXPECT_EQ(version.major, 0u);
  EXPECT_EQ(version.minor, 0u);
  ASSERT_TRUE(sim->GetOsVersion(version));
  EXPECT_EQ(version.major, 4u);
}

TEST(SimMachineLayout, BrowserItemListsAndComAreCounted) {
  SimMachine sim;
  EXPECT_EQ(sim.BrowseForFolder(0, "title", kBifEditBox), 0u) << "cancelled by default";
  sim.SetBrowseResult(std::string("D:\\"));
  ASSERT_TRUE(sim.ComInitialize());
  ItemList items = sim.BrowseForFolder(0x42, "title", kBifEditBox);
  ASSERT_NE(items, 0u);
  EXPECT_EQ(sim.LiveItemLists(), 1);
  std::string path;
  EXPECT_TRUE(sim.PathFromItemList(items, path));
  EXPECT_EQ(path, "D:\\");
  sim.FreeItemList(items);
  sim.ComUninitialize();
  EXPECT_EQ(sim.LiveItemLists(), 0);
  EXPECT_EQ(sim.ComDepth(), 0);

  sim.SetBrowseResult(std::string("::{Printers}"), false);
  items = sim.BrowseForFolder(0x42, "title", kBifEditBox);
  path = "stale";
  EXPECT_FALSE(sim.PathFromItemList(items, path)) << "an item with no file-system path";
  EXPECT_EQ(path, "");
  sim.FreeItemList(items);
}

TEST_F(SimMachineTest, RecycleBinReceivesTheWholeTreeAsStored) {
  ASSERT_EQ(ShellDelete("c:\\apps\\COACH"), 0);
  EXPECT_FALSE(sim->Exists("C:\\Apps\\Coach"));
  const auto recycled = sim->Recycled();
  ASSERT_EQ(recycled.size(), 4u);
  EXPECT_EQ(recycled[0].originalPath, "C:\\Apps\\Coach");
  EXPECT_TRUE(recycled[0].isFolder);
  EXPECT_TRUE(recycled[0].wholeItem);
  EXPECT_FALSE(recycled[1].wholeItem);
  EXPECT_EQ(recycled[1].originalPath, "C:\\Apps\\Coach\\a.txt");
  EXPECT_EQ(recycled[1].bytes, "alpha");
  EXPECT_EQ(recycled[2].originalPath, "C:\\Apps\\Coach\\Deep");
  EXPECT_EQ(recycled[3].originalPath, "C:\\Apps\\Coach\\Deep\\b.txt");
  EXPECT_EQ(recycled[3].bytes, "beta");
  EXPECT_EQ(sim->PermanentlyDeletedCount(), 0u);
}

TEST_F(SimMachineTest, ShellDeleteWithoutUndoStopsAtAHeldFile) {
  sim->HoldOpen("C:\\Apps\\Coach\\Deep\\b.txt");
  EXPECT_NE(ShellDelete("C:\\Apps\\Coach", kFofSilent | kFofNoConfirmation), 0);
  EXPECT_TRUE(sim->Exists("C:\\Apps\\Coach\\Deep\\b.txt"));
  EXPECT_TRUE(sim->Recycled().empty());

  sim->ReleaseAll();
  EXPECT_EQ(ShellDelete("C:\\Apps\\Coach", kFofSilent | kFofNoConfirmation), 0);
  EXPECT_FALSE(sim->Exists("C:\\Apps\\Coach"));
  EXPECT_GT(sim->PermanentlyDeletedCount(), 0u);
  EXPECT_EQ(ShellDelete("C:\\", kRecycleFlags), 0) << "ends in a backslash: nothing happens";
  EXPECT_TRUE(sim->IsFolder("C:\\users\\tech"));
}

// Many names with the same first six letters each get an 8.3 name of their
// own; a removed entry's short name no longer leads anywhere, and a new entry
// may take it.
TEST_F(SimMachineTest, ShortNamesStayUniqueAndFollowTheirEntries) {
  std::set<std::string> shortNames;
  for (int i = 0; i < 12; ++i) {
    const std::string path = "C:\\Data\\homework " + std::to_string(i) + ".txt";
    ASSERT_TRUE(sim->AddFile(path, std::to_string(i)));
    const std::string shortPath = sim->ShortPathOf(path);
    EXPECT_EQ(shortPath.rfind("C:\\Data\\HOMEWO~", 0), 0u) << shortPath;
    EXPECT_TRUE(shortNames.insert(shortPath).second) << shortPath;
    EXPECT_TRUE(sim->Exists(shortPath));
  }
  EXPECT_TRUE(sim->Exists("C:\\Data\\HOMEWO~1.TXT"));
  EXPECT_TRUE(sim->Exists("C:\\Data\\homewo~12.txt"));
  const std::string first = sim->ShortPathOf("C:\\Data\\homework 0.txt");
  const std::string last = sim->ShortPathOf("C:\\Data\\homework 11.txt");
  ASSERT_TRUE(sim->RemoveFile(first));
  ASSERT_TRUE(sim->RemoveFile("C:\\Data\\homework 11.txt"));
  EXPECT_FALSE(sim->Exists(first));
  EXPECT_FALSE(sim->Exists(last));
  ASSERT_TRUE(sim->AddFile("C:\\Data\\homework new.txt", "new"));
  EXPECT_EQ(sim->ShortPathOf("C:\\Data\\homework new.txt"), first);
  ASSERT_TRUE(sim->AddFolder("C:\\Data\\homework folder"));
  const std::string folder = sim->ShortPathOf("C:\\Data\\homework folder");
  EXPECT_EQ(shortNames.count(folder), 0u) << folder;
  ASSERT_TRUE(sim->RemoveDir(folder));
  EXPECT_FALSE(sim->Exists("C:\\Data\\homework folder"));
}

TEST_F(SimMachineTest, PathsResolveLikeWindowsFullPaths) {
  sim->AddDrive('d');
  ASSERT_TRUE(sim->AddFolder("D:\\Apps\\Marlo"));
  ASSERT_TRUE(sim->SetCurrentDir("D:\\Apps\\Marlo"));
  EXPECT_EQ(sim->CurrentDir(), "D:\\Apps\\Marlo");
  ASSERT_TRUE(sim->MakeDirectory("\\MLC Students"));
  EXPECT_TRUE(sim->IsFolder("D:\\MLC Students")) << "a leading backslash: the drive's root";
  EXPECT_TRUE(sim->MakeDirectory("..\\Sibling"));
  EXPECT_TRUE(sim->IsFolder("D:\\Apps\\Sibling"));
  EXPECT_TRUE(sim->MakeDirectory("D:\\Apps\\\\Sibling\\\\Deeper"));
  EXPECT_EQ(sim->ListTree("d:\\apps\\sibling"),
            std::vector<std::string>{"D:\\Apps\\Sibling\\Deeper"});
  EXPECT_FALSE(sim->MakeDirectory("D:\\Apps\\Bad*Name"));
  EXPECT_FALSE(sim->SetCurrentDir("E:\\"));
}

TEST(WildcardMatchTest, FollowsTheDirectorySearchRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*", "anything.txt", true},     {"*.*", "noext", true},
      {"*.*", "a.b.c", true},          {"*.txt", "A.TXT", true},
      {"*.txt", "a.txt.bak", false},   {"Data*.*", "Data", true},
      {"Data*.*", "Data.zip", true},   {"Data*.*", "Database", true},
      {"Data*.*", "Dat", false},       {"?", "a", true},
      {"?", "ab", false},              {"a?c", "abc", true},
      {"a?c", "ac", false},            {"*.", "noext", true},
      {"*.", "has.ext", true},  // as Wine matches it; Windows would not
      {"MarloCoach.exe", "marlocoach.EXE", true},
      {"*a*b", "xaxxb", true},         {"*a*b", "xaxxbc", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

}  // namespace
