// What every contract scenario starts from: a machine of this build (the
// simulation natively, the real calls under Wine), its scratch folder and
// key, and the current folder put back at the end.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "services/handles.h"
#include "services/services.h"
#include "tests/support/test_machine.h"

class ContractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine = MakeTestMachine();
    ASSERT_TRUE(machine);
    services = &machine->Services();
    scratch = machine->ScratchFolder();
    key = machine->ScratchKey();
    startFolder = machine->CurrentFolder();
  }
  void TearDown() override {
    machine->ReleaseHeld();
    services->SetCurrentDir(startFolder);
    machine.reset();
  }

  // A path inside the scratch folder.
  std::string In(const std::string& relative) const { return scratch + "\\" + relative; }

  // Every entry a search for `pattern` reports, in the order it reports them.
  std::vector<FindData> Entries(const std::string& pattern) {
    std::vector<FindData> entries;
    UniqueFind find(*services);
    FindData data;
    for (bool more = find.First(pattern, data); more; more = find.Next(data))
      entries.push_back(data);
    return entries;
  }

  // Their names.
  std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    for (const FindData& data : Entries(pattern)) names.push_back(data.name);
    return names;
  }

  std::unique_ptr<ITestMachine> machine;
  IWindowsServices* services = nullptr;
  std::string scratch;
  std::string key;
  std::string startFolder;
};
