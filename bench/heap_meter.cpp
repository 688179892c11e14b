#include "bench/heap_meter.h"

#include <cstdlib>
#include <new>

namespace heap_meter {
namespace {

// The process has one heap, so its meter is necessarily process-wide.
Bucket g_engine;
Bucket g_machine;
int g_insideMachine = 0;

// Each block starts with a header that says which bucket it was charged to.
struct alignas(std::max_align_t) Header {
  std::size_t size;
  bool machine;
};

void* Allocate(std::size_t size) {
  auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size));
  if (!header) throw std::bad_alloc();
  header->size = size;
  header->machine = g_insideMachine > 0;
  Bucket& bucket = header->machine ? g_machine : g_engine;
  bucket.live += size;
  if (bucket.live > bucket.peak) bucket.peak = bucket.live;
  return header + 1;
}

void Release(void* block) {
  if (!block) return;
  Header* header = static_cast<Header*>(block) - 1;
  (header->machine ? g_machine : g_engine).live -= header->size;
  std::free(header);
}

}  // namespace

Bucket& Engine() { return g_engine; }
Bucket& Machine() { return g_machine; }
int& InsideMachine() { return g_insideMachine; }
void ResetPeaks() {
  g_engine.peak = g_engine.live;
  g_machine.peak = g_machine.live;
}

}  // namespace heap_meter

void* operator new(std::size_t size) { return heap_meter::Allocate(size); }
void* operator new[](std::size_t size) { return heap_meter::Allocate(size); }
void operator delete(void* block) noexcept { heap_meter::Release(block); }
void operator delete[](void* block) noexcept { heap_meter::Release(block); }
void operator delete(void* block, std::size_t) noexcept { heap_meter::Release(block); }
void operator delete[](void* block, std::size_t) noexcept { heap_meter::Release(block); }
