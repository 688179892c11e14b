// A pass-through IWindowsServices that counts and times every call it
// forwards, so that a benchmark can say where an operation spends its time.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "services/services.h"

class CountingServices : public IWindowsServices {
 public:
  enum Kind {
    kRegistry, kSetCurrentDir, kFindFirst, kFindNext, kCloseFind, kMakeDirectory,
    kCopyOneFile, kRenameFile, kRemoveFile, kRemoveDir, kClearFileAttributes, kLastError, kPathIdentity, kShell,
    kSystem, kKindCount
  };
  struct Tally {
    std::uint64_t calls = 0;
    std::chrono::steady_clock::duration time{};
  };

  explicit CountingServices(IWindowsServices& inner) : m_inner(inner) {}

  // When set, raised by one while a forwarded call runs (for the heap meter).
  void CountCallsIn(int* depth) { m_depth = depth; }

  const Tally& Of(Kind kind) const { return m_tallies[kind]; }
  std::uint64_t TotalCalls() const;
  void Reset() { m_tallies = {}; }
  // One line per kind that was called: name, calls, milliseconds.
  std::string Report() const;

#define RMLC_SERVICE_CALL RMLC_SERVICE_OVERRIDE
#include "services/service_calls.h"

 private:
  // Times one forwarded call and adds it to `kind`'s tally. The call's error
  // code is taken at once, before the clock is read again (reading the clock
  // may change the thread's last error on Windows).
  template <typename Call>
  auto Timed(Kind kind, Call call) {
    struct Stop {
      CountingServices& self;
      Tally& tally;
      std::chrono::steady_clock::time_point start;
      ~Stop() {
        if (self.m_depth) --*self.m_depth;
        self.m_lastError = self.m_inner.LastError();
        ++tally.calls;
        tally.time += std::chrono::steady_clock::now() - start;
      }
    } stop{*this, m_tallies[kind], std::chrono::steady_clock::now()};
    if (m_depth) ++*m_depth;
    return call();
  }

  IWindowsServices& m_inner;
  std::array<Tally, kKindCount> m_tallies{};
  long m_lastError = 0;
  int* m_depth = nullptr;
};
