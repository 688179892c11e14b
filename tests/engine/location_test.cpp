// Start-up and "Browse...": where the product is, the version and the user.
#include <gtest/gtest.h>

#include "tests/support/scenario.h"

using scenario::Bench;

namespace {

const char* const kDefault = texts::kDefaultFolder;
const char* const kKey = texts::kProductKey;

std::string Find(Bench& b) {
  std::string found = FindInstallLocation(*b.machine);
  EXPECT_EQ(b.machine->OpenKeyCount(), 0u);
  return found;
}

}  // namespace

TEST(Location, RegistryValueFirstThenTheDefaultFolder) {
  Bench b;
  EXPECT_EQ(Find(b), "");
  b.machine->AddFile(std::string(kDefault) + "\\MarloCoach.exe");
  EXPECT_EQ(Find(b), kDefault);
  b.machine->SetStringValue(kHkeyLocalMachine, kKey, "InstallPath", "D:\\Gone");
  EXPECT_EQ(Find(b), kDefault);
  b.machine->AddFolder("C:\\Apps\\MC");  // trusted once it exists, exe or not
  b.machine->SetStringValue(kHkeyLocalMachine, kKey, "InstallPath", "C:\\Apps\\MC");
  EXPECT_EQ(Find(b), "C:\\Apps\\MC");
  b.machine->SetStringValue(kHkeyLocalMachine, kKey, "InstallPath", "C:\\Apps\\MC\\");
  EXPECT_EQ(Find(b), kDefault);
  b.machine->SetValue(kHkeyLocalMachine, kKey, "InstallPath", std::string("C:\\Apps\\MC\0junk", 15));
  EXPECT_EQ(Find(b), "C:\\Apps\\MC");
  // A wildcard matches something but names no one folder.
  b.machine->SetStringValue(kHkeyLocalMachine, kKey, "InstallPath", "C:\\Apps\\*");
  EXPECT_EQ(Find(b), kDefault);
}

TEST(Location, AValueThatFillsTheBufferIsNeverReadPastItsEnd) {
  Bench b;
  b.machine->AddFile(std::string(kDefault) + "\\MarloCoach.exe");
  // 999 characters without a NUL still fit with the buffer's own terminator.
  std::string fits = "C:\\" + std::string(200, 'a') + "\\" + std::string(200, 'b') + "\\" +
                     std::string(200, 'c') + "\\" + std::string(200, 'd') + "\\";
  fits += std::string(999 - fits.size(), 'e');
  ASSERT_TRUE(b.machine->AddFolder(fits));
  b.machine->SetValue(kHkeyLocalMachine, kKey, "InstallPath", fits);
  EXPECT_EQ(Find(b), fits);
  b.machine->AddFolder(fits + "f");
  b.machine->SetValue(kHkeyLocalMachine, kKey, "InstallPath", fits + "f");  // 1000, no NUL
  EXPECT_EQ(Find(b), kDefault);
}

TEST(Location, BrowseConfirmsAndUpdatesInOrder) {
  Bench b;
  b.state.m_location = "C:\\Old";
  b.machine->AddFolder("C:\\Other");
  b.machine->AddFile("C:\\Apps\\MC\\MarloCoach.exe");
  auto browse = [&b](std::optional<std::string> path, bool hasPath = true) {
    b.machine->SetBrowseResult(std::move(path), hasPath);
    b.engine.Browse();
    EXPECT_EQ(b.machine->ComDepth(), 0);
    EXPECT_EQ(b.machine->LiveItemLists(), 0);
  };
  browse(std::nullopt);
  browse(std::string("C:\\Other"), false);
  browse(std::string(""));
  EXPECT_TRUE(b.ui.Events().empty());
  b.ui.Answer(BoxAnswer::No);
  browse(std::string("C:\\Other"));
  EXPECT_EQ(b.ui.Events().size(), 1u);  // the question only
  EXPECT_EQ(b.state.m_location, "C:\\Old");

  browse(std::string("C:\\Apps\\MC"));  // holds the executable: no question
  EXPECT_EQ(b.ui.Events(),
            (std::vector<std::string>{
                b.ui.Events()[0],
                "status:Marlo Coach folder selected.  Please BE SURE that this is the correct "
                "location before continuing, as its contents will be COMPLETELY ERASED.",
                "location:C:\\Apps\\MC"}));
  EXPECT_EQ(b.state.m_location, "C:\\Apps\\MC");
  for (const SimMachine::CallRecord& call : b.machine->Calls()) {
    if (call.call == SimMachine::Call::BrowseForFolder) {
      EXPECT_EQ(call.subject, "Please select the folder in which the Marlo Coach is installed.");
    }
  }
}

TEST(Location, UserNameOnlyFromVersionFive) {
  Bench b;
  b.machine->SetOsVersion(4, 10);
  RecordSystemInfo(*b.machine, b.state);
  EXPECT_EQ(b.state.m_osMajor, 4);
  EXPECT_EQ(b.state.m_osMinor, 10);
  EXPECT_EQ(b.state.m_userName, "");
  b.machine->SetOsVersion(6, 1);
  RecordSystemInfo(*b.machine, b.state);
  EXPECT_EQ(b.state.m_userName, "tech");
  b.machine->InjectFault({SimMachine::Call::GetOsVersion, "", 0, winerr::kInvalidParameter});
  RecordSystemInfo(*b.machine, b.state);
  EXPECT_EQ(b.state.m_osMajor, 0);
  EXPECT_EQ(b.state.m_userName, "");
}
