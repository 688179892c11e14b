// A whole removal on a machine built from the fuzzer's bytes: the complete
// installation, spoiled with extra student files, odd attributes, files
// held open, extra registry keys, denied keys, missing shell folders, another
// version or user, a different location and injected faults, with scripted
// answers. Whatever happens, the invariant check must hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shared/path_rules.h"
#include "tests/support/scenario.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using scenario::Bench;
using scenario::Installation;

const std::string kLocation = scenario::kLocation;
const std::string kStudents = kLocation + "\\Students";
const char kCache[] =
    "C:\\Program Files\\InstallShield Installation Information\\{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}";

const char* const kLocations[] = {
    scenario::kLocation, "C:\\Program Files\\Marlo Coach\\", "C:\\Program Files\\Marlo Coach\\\\",
    "C:\\Program Files\\\\Marlo Coach", "C:\\", "C:\\windows", "C:\\Program Files",
    "C:\\users\\tech\\Desktop\\", "D:\\", "D:\\Apps\\Marlo Coach", "C:\\users",
};
const char* const kSubjects[] = {"", "Students", "Marlo Coach", "Desktop", "Uninstall",
                                 ".lnk", "Saved Student Data", "class1", "Start Menu"};
// Failures that do not claim that something is absent or finished: a call
// that says "not found" or "no more" about what is there is a lie the run
// cannot see through. The one lie it must see through is a shell deletion
// that reports success and leaves the folder (code 0, below).
const long kErrors[] = {0, 5, 32, 80, 145, 183, 206, 234};
const int kShellFolders[] = {csidl::kCommonDesktopDirectory, csidl::kDesktopDirectory,
                             csidl::kCommonStartMenu, csidl::kStartMenu, csidl::kWindows,
                             csidl::kProgramFiles, csidl::kProfile};

// A path component. Windows drops trailing dots and blanks from names, and
// the simulated machine cannot seed a folder named with them (it would
// trip over its own lookup), so they are dropped here too.
std::string Name(FuzzedDataProvider& input) {
  std::string name = input.ConsumeRandomLengthString(300);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name.empty() ? "x" : name;
}

void AddStudentFiles(FuzzedDataProvider& input, Bench& b, Installation& inst) {
  const int count = input.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < count; ++i) {
    std::string path = kStudents;
    const int depth = input.ConsumeIntegralInRange(1, 3);
    for (int d = 0; d < depth; ++d) path += "\\" + Name(input);
    const std::string bytes = input.ConsumeRandomLengthString(64);
    const std::uint32_t attributes = input.ConsumeIntegral<std::uint8_t>() & 0x27;
    // Names Windows refuses, or that collide with a folder, are not seeded.
    if (b.machine->IsFolder(path) || !b.machine->AddFile(path, bytes, attributes)) continue;
    if (!b.machine->IsFolder(path)) inst.studentFiles[path] = bytes;
  }
}

void SpoilRegistry(FuzzedDataProvider& input, Bench& b, Installation& inst) {
  const int count = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < count; ++i) {
    const bool product = input.ConsumeBool();
    const std::string key = (product ? std::string(scenario::kProductKey)
                                     : std::string(scenario::kUninstallKey) + "\\MarloCoach") +
                            "\\" + Name(input);
    if (!b.machine->AddKey(kHkeyLocalMachine, key)) continue;
    if (product) inst.productKeys.push_back(key);
  }
  if (input.ConsumeBool()) {
    const char* const denied[] = {scenario::kProductKey, scenario::kUninstallKey,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MarloCoach"};
    b.machine->DenyFullAccess(kHkeyLocalMachine, denied[input.ConsumeIntegralInRange(0, 2)]);
  }
}

void SpoilSystem(FuzzedDataProvider& input, Bench& b, Installation& inst) {
  bool perUserKept = true;
  if (input.ConsumeBool()) {
    b.machine->SetOsVersion(input.ConsumeIntegralInRange(3, 6), 0);
    b.machine->SetUserName(input.ConsumeBool() ? "tech" : input.ConsumeRandomLengthString(1100));
    RecordSystemInfo(*b.machine, b.state);
    perUserKept = b.state.m_osMajor >= 5 && b.state.m_userName == "tech";
  }
  // A missing shell folder hides its shortcuts; the check is told so after the run.
  for (int folder : kShellFolders)
    if (input.ConsumeIntegralInRange(0, 7) == 0) b.machine->SetSpecialFolder(folder, "");
  if (!perUserKept) {  // the per-user folders the seed used are out of the run's sight
    auto& s = inst.shortcuts;
    for (auto it = s.begin(); it != s.end();)
      it = (it->find("C:\\tech\\") == 0 || it->find("ProgramData\\tech\\") != std::string::npos)
               ? s.erase(it)
               : it + 1;
  }
  b.state.m_saveStudentData = input.ConsumeBool();
}

void HoldSomething(FuzzedDataProvider& input, Bench& b, const Installation& inst) {
  if (input.ConsumeIntegralInRange(0, 3) != 0 || inst.studentFiles.empty()) return;
  auto it = inst.studentFiles.begin();
  std::advance(it, input.ConsumeIntegralInRange<std::size_t>(0, inst.studentFiles.size() - 1));
  b.machine->HoldOpen(it->first);
  if (input.ConsumeBool())
    b.machine->HoldOpen(inst.shortcuts[input.ConsumeIntegralInRange<std::size_t>(
        0, inst.shortcuts.size() - 1)]);
}

void InjectFaults(FuzzedDataProvider& input, Bench& b) {
  const int count = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < count; ++i) {
    SimMachine::Fault fault;
    if (input.ConsumeBool())
      fault.call = static_cast<SimMachine::Call>(input.ConsumeIntegralInRange(
          0, static_cast<int>(SimMachine::Call::TickCount)));
    fault.subjectContains = kSubjects[input.ConsumeIntegralInRange<std::size_t>(
        0, sizeof kSubjects / sizeof kSubjects[0] - 1)];
    fault.nth = input.ConsumeIntegralInRange(0, 3);
    fault.error = kErrors[input.ConsumeIntegralInRange<std::size_t>(
        0, sizeof kErrors / sizeof kErrors[0] - 1)];
    if (fault.error == 0) fault.call = SimMachine::Call::ShellFileOperation;
    b.machine->InjectFault(fault);
  }
}

// The folders the run could know as protected: those the machine named to
// it during the run (a query that failed told it nothing).
std::vector<std::string> FoldersTheRunKnew(Bench& b, std::size_t firstCall) {
  std::vector<std::string> known;
  const std::vector<SimMachine::CallRecord> calls = b.machine->Calls();
  for (std::size_t k = firstCall; k < calls.size(); ++k) {
    std::string path;
    if (calls[k].result == 0) continue;
    if (calls[k].call == SimMachine::Call::SpecialFolderPath)
      b.machine->SpecialFolderPath(std::stoi(calls[k].subject, nullptr, 16), path);
    else if (calls[k].call == SimMachine::Call::ProfilesDirectory)
      b.machine->ProfilesDirectory(path);
    if (!path.empty()) known.push_back(path);
  }
  return known;
}

// The product items of the location the run ended up with. A location the
// run could not know to be protected is the product's: the registry named
// it, or the user confirmed it.
void ScopeTo(const std::string& location, const std::vector<std::string>& known,
             Installation& inst) {
  inst.location = location;
  inst.productFolders = {StudentsFolderFor(location), kCache};
  if (ComparablePath(location) == ComparablePath(kLocation) || !IsProtectedFolder(location, known)) {
    inst.productFolders.push_back(location);
    // What lies in it went with it, neighbours included.
    const std::string inside = ComparablePath(location) + "\\";
    auto& foreign = inst.foreignFiles;
    for (auto it = foreign.begin(); it != foreign.end();)
      it = ComparablePath(*it).compare(0, inside.size(), inside) == 0 ? foreign.erase(it) : it + 1;
  }
}

bool SameMachine(const scenario::Baseline& a, const scenario::Baseline& b) {
  return a.keys == b.keys && a.files == b.files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Bench b;
  b.machine->AddDrive('D');
  Installation inst = scenario::SeedSimulatedInstallation(b);
  AddStudentFiles(input, b, inst);
  SpoilRegistry(input, b, inst);
  SpoilSystem(input, b, inst);
  HoldSomething(input, b, inst);
  const std::string typed = kLocations[input.ConsumeIntegralInRange<std::size_t>(
      0, sizeof kLocations / sizeof kLocations[0] - 1)];
  for (int i = input.ConsumeIntegralInRange(0, 3); i > 0; --i)
    b.ui.Answer(static_cast<BoxAnswer>(
        input.PickValueInArray({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Yes, BoxAnswer::No})));
  scenario::RecordBaseline(b, inst);
  InjectFaults(input, b);
  const std::size_t before = b.machine->CallCount();

  const RunOutcome outcome = b.engine.Run(typed);
  b.machine->ClearFaults();
  b.machine->ReleaseAll();
  FUZZ_CHECK(!b.ui.ProgressOpen());
  if (outcome == RunOutcome::Declined) {
    Installation after;
    scenario::RecordBaseline(b, after);
    FUZZ_CHECK(SameMachine(inst.baseline, after.baseline));
    FUZZ_CHECK(!b.ui.ProgressShown());
    return 0;
  }
  const std::size_t runEnd = b.machine->CallCount();
  ScopeTo(b.state.m_location, FoldersTheRunKnew(b, before), inst);
  // A shell folder the run could not read hides the shortcuts in it.
  bool unread = false;
  for (std::size_t k = before; k < runEnd; ++k) {
    const SimMachine::CallRecord& call = b.machine->Calls()[k];
    unread = unread || (call.call == SimMachine::Call::SpecialFolderPath && call.result == 0);
  }
  const std::vector<std::string> problems = scenario::CheckPromises(b, inst, unread);
  if (!problems.empty()) {  // what the run was given and did, to read the finding
    for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
    std::fprintf(stderr, "typed: %s\nlocation: %s\nversion %d, user %s\n", typed.c_str(),
                 b.state.m_location.c_str(), b.state.m_osMajor, b.state.m_userName.c_str());
    for (const FakeRunUi::Box& box : b.ui.Boxes()) std::fprintf(stderr, "box: %s\n", box.text.c_str());
    for (const std::string& line : b.state.m_failures) std::fprintf(stderr, "line: %s\n", line.c_str());
    for (const SimMachine::CallRecord& call : b.machine->Calls())
      std::fprintf(stderr, "call %d %s -> %ld\n", static_cast<int>(call.call), call.subject.c_str(),
                   call.result);
  }
  FUZZ_CHECK(problems.empty());
  return 0;
}
