// Step 7: the product key's subkeys and value, and the uninstall entries.
#include <gtest/gtest.h>

#include "removal/registry_cleanup.h"
#include "tests/support/scenario.h"

using scenario::Bench;

namespace {

const std::string kProduct = scenario::kProductKey;
const std::string kUninstall = scenario::kUninstallKey;
// The line for an uninstall entry that is left names that entry.
const std::string kUninstallLine =
    "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kValueLine[] =
    "Registry Value: HKEY_LOCAL_MACHINE\\Software\\Bellmont Learning Group\\Marlo Coach, InstallPath";
const std::string kSubkeyLine =
    "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Bellmont Learning Group\\Marlo Coach\\";

void RunRegistryOnly(Bench& b) {
  b.state.m_saveStudentData = false;
  EXPECT_EQ(b.engine.Run(""), RunOutcome::Finished);
  EXPECT_EQ(b.machine->OpenKeyCount(), 0u);
}

}  // namespace

TEST(RegistryCleanup, NothingToRemoveRecordsNothing) {
  Bench b;
  RunRegistryOnly(b);
  EXPECT_TRUE(b.state.m_failures.empty());
}

TEST(RegistryCleanup, UninstallTreesGoDeepestFirst) {
  Bench b;
  b.machine->AddKey(kHkeyLocalMachine, kUninstall + "\\MarloCoach\\A\\B");
  RunRegistryOnly(b);
  std::vector<std::string> deleted;
  for (const SimMachine::CallRecord& call : b.machine->Calls())
    if (call.call == SimMachine::Call::DeleteKey && call.result == 0) deleted.push_back(call.subject);
  const std::string root = "HKEY_LOCAL_MACHINE\\" + kUninstall;
  EXPECT_EQ(deleted, (std::vector<std::string>{root + "\\MarloCoach\\A\\B", root + "\\MarloCoach\\A",
                                               root + "\\MarloCoach"}));
}

TEST(RegistryCleanup, ARefusedSubkeyEndsTheSweepButNotTheStep) {
  Bench b;
  b.machine->SetStringValue(kHkeyLocalMachine, kProduct, "InstallPath", "C:\\x");
  b.machine->AddKey(kHkeyLocalMachine, kProduct + "\\Alpha\\Inner");  // refused: has a subkey
  b.machine->AddKey(kHkeyLocalMachine, kProduct + "\\Beta");
  b.machine->AddKey(kHkeyLocalMachine, kUninstall + "\\{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}");
  b.machine->AddKey(kHkeyLocalMachine, kUninstall + "\\{7F41A2D8-3B96-11D6-8C25-5A0E93C71B40}");
  b.machine->InjectFault({SimMachine::Call::DeleteKey, "{7F41A2D8", 0, winerr::kAccessDenied});
  RunRegistryOnly(b);
  EXPECT_EQ(b.state.m_failures, (std::vector<std::string>{kSubkeyLine + "Alpha", kUninstallLine + "{7F41A2D8-3B96-11D6-8C25-5A0E93C71B40}"}));
  EXPECT_TRUE(b.machine->KeyExists(kHkeyLocalMachine, kProduct + "\\Beta"));
  EXPECT_FALSE(b.machine->ValueExists(kHkeyLocalMachine, kProduct, "InstallPath"));
  EXPECT_FALSE(b.machine->KeyExists(kHkeyLocalMachine, kUninstall + "\\{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}"));
}

// A deletion that reports success but leaves the key must not loop forever
// nor pass for done.
TEST(RegistryCleanup, AKeyThatSurvivesItsDeletionIsReported) {
  Bench b;
  b.machine->AddKey(kHkeyLocalMachine, kProduct + "\\Stuck");
  b.machine->AddKey(kHkeyLocalMachine, kUninstall + "\\MarloCoach\\Stuck");
  b.machine->InjectFault({SimMachine::Call::DeleteKey, "Stuck", 0, winerr::kSuccess});
  RunRegistryOnly(b);
  EXPECT_EQ(b.state.m_failures, (std::vector<std::string>{kSubkeyLine + "Stuck", kUninstallLine + "MarloCoach"}));
  EXPECT_EQ(DeleteRegistryTree(*b.machine, kHkeyLocalMachine, ""), winerr::kInvalidParameter);
}

// Without full access nothing can be removed; what is still there is listed
// instead of a "Success!".
TEST(RegistryCleanup, WithoutFullAccessTheLeftoversAreListed) {
  Bench empty;
  empty.machine->AddKey(kHkeyLocalMachine, kProduct);
  empty.machine->DenyFullAccess(kHkeyLocalMachine, kProduct);
  empty.machine->DenyFullAccess(kHkeyLocalMachine, kUninstall);
  RunRegistryOnly(empty);
  EXPECT_TRUE(empty.state.m_failures.empty());

  Bench b;
  b.machine->SetStringValue(kHkeyLocalMachine, kProduct, "InstallPath", "C:\\x");
  b.machine->AddKey(kHkeyLocalMachine, kProduct + "\\Settings");
  b.machine->AddKey(kHkeyLocalMachine, kUninstall + "\\Marlo Coach");
  b.machine->DenyFullAccess(kHkeyLocalMachine, kProduct);
  b.machine->DenyFullAccess(kHkeyLocalMachine, kUninstall);
  RunRegistryOnly(b);
  EXPECT_EQ(b.state.m_failures,
            (std::vector<std::string>{kSubkeyLine + "Settings", kValueLine, kUninstallLine + "Marlo Coach"}));
  EXPECT_TRUE(b.machine->KeyExists(kHkeyLocalMachine, kUninstall + "\\Marlo Coach"));
}
