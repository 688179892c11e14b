// Backup and rollback of a seeded student tree on the simulated machine:
// time, the engine's own peak heap and the process's peak memory.
//   sim_scaling [files=N] [depth=N] [fanout=N] [seed=N]
// Prints one line of key=value figures. Run each size in its own process:
// the process's peak memory is a high-water mark over its whole life.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/support/fake_run_ui.h"
#include "bench/counting_services.h"
#include "bench/heap_meter.h"
#include "bench/tree_gen.h"
#include "shared/texts.h"
#include "tests/support/engine_units.h"
#include "tests/support/fake_run_ui.h"
#include "tests/support/sim_machine.h"

namespace {

constexpr const char* kInstall = texts::kDefaultFolder;
using texts::kBackupName;

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  TreeShape shape;
  shape.files = 10000;
  bool valid = true;
  for (int i = 1; i < argc; ++i) valid = valid && ReadShapeOption(argv[i], shape);
  if (!valid || shape.fanOut <= 0) {
    std::fprintf(stderr, "usage: sim_scaling [files=N] [depth=N] [fanout=N] [seed=N]\n");
    return 2;
  }
  int& inside = heap_meter::InsideMachine();
  std::unique_ptr<SimMachine> machine;
  std::string desktop;
  ++inside;  // the machine and its seeded tree are not the engine's memory
  {
    machine = SimMachine::StandardLayout();
    machine->SpecialFolderPath(csidl::kDesktopDirectory, desktop);
    const std::string students = std::string(kInstall) + "\\Students";
    if (!WriteTreeToSim(PlanTree(shape), *machine, students, false)) {
      std::fprintf(stderr, "sim_scaling: seeding failed\n");
      return 1;
    }
  }
  --inside;

  CountingServices services(*machine);
  services.CountCallsIn(&inside);
  FakeRunUi ui(false, 0);  // counts only: the figures are the engine's
  EngineUnits units(services, ui);
  const std::string backup = desktop + "\\" + kBackupName;

  heap_meter::ResetPeaks();
  const std::size_t engineBefore = heap_meter::Engine().live;
  const auto start = std::chrono::steady_clock::now();
  services.MakeDirectory(backup);
  const bool copied = units.copy.CopyFolderTree(std::string(kInstall) + "\\Students", backup);
  const double copyMs = MillisecondsSince(start);
  const bool deleted = units.deletion.DeleteFolderTree(desktop, kBackupName);
  const double totalMs = MillisecondsSince(start);

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("files=%d depth=%d fanout=%d copied=%d deleted=%d copy_ms=%.1f "
              "rollback_ms=%.1f total_ms=%.1f service_calls=%llu engine_peak_bytes=%zu "
              "machine_peak_bytes=%zu maxrss_kb=%ld\n",
              shape.files, shape.depth, shape.fanOut, copied, deleted, copyMs,
              totalMs - copyMs, totalMs, static_cast<unsigned long long>(services.TotalCalls()),
              heap_meter::Engine().peak - engineBefore, heap_meter::Machine().peak,
              usage.ru_maxrss);
  if (std::getenv("SIM_SCALING_PROFILE")) std::fputs(services.Report().c_str(), stdout);
  return copied && deleted && machine->ListTree(backup).empty() ? 0 : 1;
}
