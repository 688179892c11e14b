// Registry calls on both machines, inside the scratch key under
// HKEY_CURRENT_USER.
#include <algorithm>

#include "tests/contract/contract_fixture.h"

TEST_F(ContractTest, EnumeratingIndexZeroWhileDeletingVisitsEverySubkey) {
  const char* names[] = {"Alpha", "beta", "Gamma", "{7F41A2D8-3B96}"};
  for (const char* name : names)
    ASSERT_TRUE(machine->CreateKey(kHkeyCurrentUser, key + "\\" + name));
  ASSERT_TRUE(machine->SetStringValue(kHkeyCurrentUser, key + "\\beta", "v", "x"));

  UniqueKey parent(*services);
  ASSERT_EQ(parent.Open(kHkeyCurrentUser, key, kKeyReadWrite), winerr::kSuccess);
  std::vector<std::string> visited;
  std::string name;
  long rc;
  while ((rc = services->EnumKey(parent.Get(), 0, 256, name)) == winerr::kSuccess) {
    ASSERT_LT(visited.size(), 4u) << "a deleted key came back";
    visited.push_back(name);
    ASSERT_EQ(services->DeleteKey(parent.Get(), name), winerr::kSuccess) << name;
  }
  EXPECT_EQ(rc, winerr::kNoMoreItems);
  EXPECT_EQ(visited.size(), 4u);
  for (const char* expected : names) {
    EXPECT_NE(std::find(visited.begin(), visited.end(), expected), visited.end()) << expected;
    EXPECT_FALSE(machine->KeyExists(kHkeyCurrentUser, key + "\\" + expected));
  }
}

TEST_F(ContractTest, KeyWithSubkeysIsNotDeletedAndNamesIgnoreCase) {
  ASSERT_TRUE(machine->CreateKey(kHkeyCurrentUser, key + "\\Tree\\Leaf"));

  UniqueKey parent(*services);
  ASSERT_EQ(parent.Open(kHkeyCurrentUser, key, kKeyAllAccess), winerr::kSuccess);
  EXPECT_EQ(services->DeleteKey(parent.Get(), "Tree"), winerr::kAccessDenied);
  EXPECT_TRUE(machine->KeyExists(kHkeyCurrentUser, key + "\\Tree\\Leaf"));

  // Deepest first, in any letter case.
  EXPECT_EQ(services->DeleteKey(parent.Get(), "TREE\\leaf"), winerr::kSuccess);
  EXPECT_EQ(services->DeleteKey(parent.Get(), "tree"), winerr::kSuccess);
  EXPECT_FALSE(machine->KeyExists(kHkeyCurrentUser, key + "\\Tree"));
}

TEST_F(ContractTest, MissingKeysAndValuesReportNotFound) {
  UniqueKey scratchKey(*services);
  ASSERT_EQ(scratchKey.Open(kHkeyCurrentUser, key, kKeyAllAccess), winerr::kSuccess);

  RegKey opened = 0;
  EXPECT_EQ(services->OpenKey(kHkeyCurrentUser, key + "\\Absent", kKeyRead, opened),
            winerr::kFileNotFound);
  EXPECT_EQ(opened, 0u);
  EXPECT_EQ(services->DeleteKey(scratchKey.Get(), "Absent"), winerr::kFileNotFound);
  EXPECT_EQ(services->DeleteValue(scratchKey.Get(), "InstallPath"), winerr::kFileNotFound);
  std::string data;
  EXPECT_EQ(services->QueryValue(scratchKey.Get(), "InstallPath", 1000, data),
            winerr::kFileNotFound);

  ASSERT_TRUE(machine->SetStringValue(kHkeyCurrentUser, key, "InstallPath", "C:\\x"));
  UniqueKey readOnly(*services);
  ASSERT_EQ(readOnly.Open(kHkeyCurrentUser, key, kKeyRead), winerr::kSuccess);
  EXPECT_EQ(services->DeleteValue(readOnly.Get(), "InstallPath"), winerr::kAccessDenied)
      << "a key opened for reading only";
  EXPECT_EQ(services->DeleteValue(scratchKey.Get(), "installpath"), winerr::kSuccess);
  EXPECT_FALSE(machine->ValueExists(kHkeyCurrentUser, key, "InstallPath"));
  EXPECT_EQ(services->DeleteValue(scratchKey.Get(), "InstallPath"), winerr::kFileNotFound);
}

TEST_F(ContractTest, ValueDataComesWholeOrNotAtAll) {
  ASSERT_TRUE(machine->SetStringValue(kHkeyCurrentUser, key, "InstallPath", "C:\\Apps\\Coach"));
  ASSERT_TRUE(
      machine->SetBinaryValue(kHkeyCurrentUser, key, "Raw", std::string("\x01\x00\x02", 3)));

  UniqueKey scratchKey(*services);
  ASSERT_EQ(scratchKey.Open(kHkeyCurrentUser, key, kKeyRead), winerr::kSuccess);
  std::string data;
  ASSERT_EQ(services->QueryValue(scratchKey.Get(), "InstallPath", 1000, data), winerr::kSuccess);
  EXPECT_EQ(data, std::string("C:\\Apps\\Coach") + '\0');
  const std::uint32_t exact = static_cast<std::uint32_t>(data.size());
  EXPECT_EQ(services->QueryValue(scratchKey.Get(), "InstallPath", exact, data), winerr::kSuccess);
  EXPECT_EQ(services->QueryValue(scratchKey.Get(), "InstallPath", exact - 1, data),
            winerr::kMoreData);
  ASSERT_EQ(services->QueryValue(scratchKey.Get(), "raw", 1000, data), winerr::kSuccess);
  EXPECT_EQ(data, std::string("\x01\x00\x02", 3));
}

TEST_F(ContractTest, SubkeyNameLongerThanTheBufferFailsEnumeration) {
  const std::string name = "TenLetters";  // ten characters need eleven with the NUL
  ASSERT_TRUE(machine->CreateKey(kHkeyCurrentUser, key + "\\" + name));

  UniqueKey scratchKey(*services);
  ASSERT_EQ(scratchKey.Open(kHkeyCurrentUser, key, kKeyRead), winerr::kSuccess);
  std::string found;
  EXPECT_EQ(services->EnumKey(scratchKey.Get(), 0, 10, found), winerr::kMoreData);
  ASSERT_EQ(services->EnumKey(scratchKey.Get(), 0, 11, found), winerr::kSuccess);
  EXPECT_EQ(found, name);
  EXPECT_EQ(services->EnumKey(scratchKey.Get(), 1, 11, found), winerr::kNoMoreItems);
}
