// The simulated machine's wildcard matching, which every simulated search
// and existence test depends on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "tests/support/ascii_text.h"
#include "tests/support/sim_machine.h"

namespace {

using ascii::Lower;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string pattern = input.ConsumeRandomLengthString(300);
  const std::string name = input.ConsumeRemainingBytesAsString();

  const bool matches = WildcardMatch(pattern, name);
  FUZZ_CHECK(WildcardMatch(Lower(pattern), Lower(name)) == matches);
  FUZZ_CHECK(WildcardMatch("*", name));
  FUZZ_CHECK(WildcardMatch("*.*", name));
  if (name.find_first_of("*?") == std::string::npos) {
    FUZZ_CHECK(WildcardMatch(name, name));
    FUZZ_CHECK(WildcardMatch(name + "*", name));
    FUZZ_CHECK(WildcardMatch(name.substr(0, name.size() / 2) + "*.*", name));
  }
  // A pattern without wildcards matches at most the names equal to it.
  if (pattern.find_first_of("*?.") == std::string::npos && matches)
    FUZZ_CHECK(Lower(pattern) == Lower(name));
  return 0;
}
