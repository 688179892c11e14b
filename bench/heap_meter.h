// Live and peak heap bytes of a benchmark program, split between the code
// under measurement and the machine it runs on. The program's operator new
// and delete are replaced (heap_meter.cpp); an allocation belongs to the
// machine while `InsideMachine` is above zero, to the engine otherwise.
#pragma once

#include <cstddef>

namespace heap_meter {

struct Bucket {
  std::size_t live = 0;
  std::size_t peak = 0;
};

Bucket& Engine();
Bucket& Machine();
// Counts the service calls in progress; CountingServices raises it.
int& InsideMachine();
// Starts a new peak from what is live now.
void ResetPeaks();

}  // namespace heap_meter
