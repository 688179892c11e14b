// Trailing backslashes: dropped to name the folder itself, except that a
// drive root keeps one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shared/path_rules.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const std::string bare = WithoutTrailingBackslashes(path);
  FUZZ_CHECK(bare.empty() || (bare.back() != '\\' && bare.back() != '/'));
  FUZZ_CHECK(path.compare(0, bare.size(), bare) == 0);
  FUZZ_CHECK(path.find_first_not_of("\\/", bare.size()) == std::string::npos);
  FUZZ_CHECK(WithoutTrailingBackslashes(bare) == bare);

  const std::string folder = FolderPathOf(path);
  if (folder != bare) {
    // Only a root keeps its backslash, and only one.
    FUZZ_CHECK(folder == bare + "\\");
    FUZZ_CHECK(bare.empty() || (bare.size() == 2 && bare[1] == ':'));
  }
  FUZZ_CHECK(FolderPathOf(folder) == folder);
  // Whatever the form, the folder is the one the location names.
  if (!bare.empty()) FUZZ_CHECK(ComparablePath(folder) == ComparablePath(path));
  return 0;
}
