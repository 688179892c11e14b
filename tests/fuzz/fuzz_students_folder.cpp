// The students folder is derived from the drive part of any location.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shared/path_rules.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string location(reinterpret_cast<const char*>(data), size);
  const std::string folder = StudentsFolderFor(location);
  const std::string suffix = "\\MLC Students";
  FUZZ_CHECK(folder.size() >= suffix.size());
  FUZZ_CHECK(folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) == 0);
  const std::string front = folder.substr(0, folder.size() - suffix.size());
  if (location.empty()) {
    FUZZ_CHECK(front == "C:");
  } else {
    // What stands in front of the first backslash, and nothing when there
    // is none: a location without one never leaks into the path.
    const std::size_t first = location.find('\\');
    FUZZ_CHECK(front == (first == std::string::npos ? std::string() : location.substr(0, first)));
  }
  return 0;
}
