// The per-user folders derived from a shared desktop or Start menu: three
// components dropped, then the user's name and the fixed last part; nothing
// at all when no front remains.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "shared/path_rules.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string lastPart = input.ConsumeBool() ? "\\Desktop\\" : "\\Start Menu\\";
  const std::string userName = input.ConsumeRandomLengthString(2048);
  const std::string folder = input.ConsumeRemainingBytesAsString();

  std::string front = folder;
  for (int i = 0; i < 3; ++i) {
    const std::string shorter = DropLastComponent(front);
    FUZZ_CHECK(front.compare(0, shorter.size(), shorter) == 0);
    FUZZ_CHECK(shorter.size() < front.size() || front.empty());
    FUZZ_CHECK(shorter.empty() || front[shorter.size()] == '\\');
    front = shorter;
  }
  const std::string derived = DerivePerUserFolder(folder, userName, lastPart);
  // Nothing in front of the dropped components: no drive, no folder.
  FUZZ_CHECK(derived == (front.empty() ? std::string() : front + "\\" + userName + lastPart));
  FUZZ_CHECK(folder.compare(0, front.size(), front) == 0);
  return 0;
}
