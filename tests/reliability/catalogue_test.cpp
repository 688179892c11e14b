// The bad-input catalogue, run once each: the run ends, keeps every promise
// of the invariant check, and does what the case expects.
#include <gtest/gtest.h>

#include "shared/path_rules.h"
#include "tests/reliability/catalogue.h"

using scenario::Bench;

namespace {

class Catalogue : public ::testing::TestWithParam<catalogue::Case> {};

TEST_P(Catalogue, RunKeepsItsPromises) {
  const catalogue::Case& c = GetParam();
  catalogue::Prepared p;
  catalogue::Prepare(c, p);
  EXPECT_EQ(p.bench.engine.Run(p.installation.location), RunOutcome::Finished);
  EXPECT_FALSE(p.bench.ui.ProgressOpen());
  EXPECT_EQ(p.bench.machine->OpenKeyCount(), 0u);
  EXPECT_EQ(p.bench.machine->LiveFinds(), 0);
  EXPECT_EQ(scenario::CheckPromises(p.bench, p.installation, c.shortcutsMayBeUnknown),
            std::vector<std::string>());
  if (c.expect) c.expect(p.bench, p.installation);
}

INSTANTIATE_TEST_SUITE_P(BadInput, Catalogue, ::testing::ValuesIn(catalogue::RunCases()),
                         catalogue::CaseName);

// InstallPath as the registry may hold it: whatever its type or size, the
// value is read within its buffer and only an existing folder is trusted;
// anything else falls back to the default folder.
struct ValueCase {
  const char* name;
  std::string bytes;     // the raw value data
  bool trusted;          // the value's folder is the location
};

class InstallPathValue : public ::testing::TestWithParam<ValueCase> {};

// A folder whose path is `length` characters, created on the machine.
std::string FolderOfLength(Bench& b, std::size_t length) {
  std::string folder = catalogue::PathOfLength("D:\\Apps\\", length, "");
  b.machine->AddFolder(folder);
  return folder;
}

TEST_P(InstallPathValue, IsReadWithinItsBuffer) {
  Bench b;
  b.machine->AddDrive('D');
  scenario::SeedSimulatedInstallation(b);  // the product is also at the default folder
  std::string bytes = GetParam().bytes;
  // "@<n>": the path of an existing folder of n characters, without a NUL.
  if (!bytes.empty() && bytes[0] == '@') bytes = FolderOfLength(b, std::stoul(bytes.substr(1)));
  b.machine->SetValue(kHkeyLocalMachine, scenario::kProductKey, "InstallPath", bytes);
  const std::string location = FindInstallLocation(*b.machine);
  EXPECT_EQ(location, GetParam().trusted ? bytes.substr(0, bytes.find('\0')) : scenario::kLocation);
  EXPECT_EQ(b.machine->OpenKeyCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, InstallPathValue,
    ::testing::Values(
        ValueCase{"Empty", "", false},
        ValueCase{"Dword", std::string("\x05\x00\x00\x00", 4), false},
        ValueCase{"BinaryGarbage", std::string("\x00\xFF\x10\x80", 4), false},
        ValueCase{"BinaryPathWithoutNul", "D:\\", false},  // a root never matches
        ValueCase{"PathThenNulThenGarbage", std::string("C:\\Program Files\\Marlo Coach\0junk", 34), true},
        ValueCase{"TrailingBackslash", "C:\\Program Files\\Marlo Coach\\", false},
        ValueCase{"ExistingFolderOf999BytesWithoutNul", "@999", true},
        ValueCase{"ExistingFolderOf1000BytesWithoutNul", "@1000", false},
        ValueCase{"ExistingFolderOf1001BytesWithoutNul", "@1001", false},
        ValueCase{"ExistingFolderOf5000BytesWithoutNul", "@5000", false}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

// The location read from the registry can name a file: the run then finds
// no Students folder below it and stops before deleting anything.
TEST(BadInputRun, InstallPathNamingAFileStopsAtTheBackup) {
  Bench b;
  scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
  const std::string exe = std::string(scenario::kLocation) + "\\MarloCoach.exe";
  b.machine->SetStringValue(kHkeyLocalMachine, scenario::kProductKey, "InstallPath", exe);
  b.state.m_location = FindInstallLocation(*b.machine);
  ASSERT_EQ(b.state.m_location, exe);
  inst.location = exe;
  scenario::RecordBaseline(b, inst);
  EXPECT_EQ(b.engine.Run(exe), RunOutcome::Finished);
  EXPECT_TRUE(b.ui.AnyBoxContains(texts::kCopyFailed));
  EXPECT_TRUE(b.machine->Exists(exe));
  EXPECT_EQ(scenario::CheckPromises(b, inst), std::vector<std::string>());
}

// The invariant check itself: each kind of broken promise is caught.
TEST(InvariantCheck, CatchesEveryKindOfBrokenPromise) {
  struct Breakage {
    const char* expected;
    void (*apply)(SimMachine&);
  };
  const Breakage breakages[] = {
      {"student file lost", [](SimMachine& m) {
         m.SetAttributes("C:\\Program Files\\Marlo Coach\\Students\\roster.txt", kAttrArchive);
         m.RemoveFile("C:\\Program Files\\Marlo Coach\\Students\\roster.txt");
       }},
      {"changed, not the product's", [](SimMachine& m) {
         m.CopyOneFile("C:\\Program Files\\Marlo Coach\\Coach.dll", "C:\\MLC Students.txt", false);
       }},
      {"changed, not the product's", [](SimMachine& m) {
         m.SetAttributes("C:\\users\\tech\\Desktop\\Marlo Coach Old.lnk", kAttrHidden);
       }},
      {"deleted, not the product's", [](SimMachine& m) {
         m.RemoveFile("C:\\Program Files\\Marlo Coach Old\\MarloCoach.exe");
       }},
      {"created outside the backup", [](SimMachine& m) { m.MakeDirectory("C:\\Stray"); }},
      {"key deleted, not the product's", [](SimMachine& m) {
         m.DeleteKey(kHkeyLocalMachine, std::string(scenario::kUninstallKey) + "\\Other Product");
       }},
      {"left silently", [](SimMachine& m) { m.SetSpecialFolder(csidl::kCommonStartMenu, ""); }},
  };
  for (const Breakage& breakage : breakages) {
    Bench b;
    scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
    breakage.apply(*b.machine);
    b.engine.Run(scenario::kLocation);
    bool caught = false;
    for (const std::string& problem : scenario::CheckPromises(b, inst))
      caught = caught || problem.find(breakage.expected) != std::string::npos;
    EXPECT_TRUE(caught) << breakage.expected;
  }
}

}  // namespace

namespace {

// Found by the fault-pair sweep: a product key that could be opened neither
// for deletion nor for reading was reported by its subkey line alone, and
// the InstallPath value it still held was passed over as removed. Only "not
// found" means the key is gone; any other failure to open it (refused, a bad
// handle, a key marked for deletion) leaves its leftovers to be reported.
TEST(BadInputRun, ProductKeyThatCannotBeOpenedIsReportedWhole) {
  const std::string keyLine = texts::kProductSubkeyLine;
  const std::string valueLine = texts::kInstallPathLine;
  for (long error : {winerr::kAccessDenied, winerr::kInvalidHandle, 1018L}) {
    // nth 0: every open fails; nth 1: only the open for deletion, so the
    // open for reading shows what is left.
    for (int nth : {0, 1}) {
      SCOPED_TRACE("error " + std::to_string(error) + ", nth " + std::to_string(nth));
      Bench b;
      scenario::Installation inst = scenario::SeedSimulatedInstallation(b);
      b.machine->InjectFault(
          {SimMachine::Call::OpenKey, "Bellmont Learning Group\\Marlo Coach", nth, error});
      EXPECT_EQ(b.engine.Run(scenario::kLocation), RunOutcome::Finished);
      EXPECT_TRUE(b.machine->ValueExists(kHkeyLocalMachine, scenario::kProductKey, "InstallPath"));
      EXPECT_EQ(b.state.m_failures,
                (std::vector<std::string>{keyLine + (nth == 0 ? "" : "Licence"), valueLine}));
      EXPECT_EQ(scenario::CheckPromises(b, inst), std::vector<std::string>());
    }
  }
}

}  // namespace
