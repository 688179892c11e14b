// The protected-folder test, its comparable form of paths, and the source
// list of the shell deletion.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "shared/path_rules.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/ascii_text.h"

namespace {

using ascii::Upper;

bool Absolute(const std::string& path) {
  return (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
          path[1] == ':' && (path[2] == '\\' || path[2] == '/'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string target = input.ConsumeRandomLengthString(600);
  std::vector<std::string> guarded;
  while (input.remaining_bytes() > 0 && guarded.size() < 8)
    guarded.push_back(input.ConsumeRandomLengthString(300));

  const bool isProtected = IsProtectedFolder(target, guarded);
  const std::string comparable = ComparablePath(target);
  FUZZ_CHECK(ComparablePath(comparable) == comparable);
  // Case, trailing and doubled backslashes do not change the answer.
  FUZZ_CHECK(IsProtectedFolder(Upper(target), guarded) == isProtected);
  FUZZ_CHECK(IsProtectedFolder(target + "\\\\", guarded) == isProtected);
  if (IsRootPath(target)) FUZZ_CHECK(isProtected);
  for (const std::string& folder : guarded) {
    if (!Absolute(folder)) continue;
    // A guarded folder, and everything that holds it, is protected.
    if (ComparablePath(folder) == comparable) FUZZ_CHECK(isProtected);
    FUZZ_CHECK(IsProtectedFolder(folder, guarded));
    if (folder.find('.') == std::string::npos)  // no "..": the text's parent is the folder's
      FUZZ_CHECK(IsProtectedFolder(DropLastComponent(WithoutTrailingBackslashes(folder)), guarded));
  }

  char buffer[kSourceListCapacity];
  std::memset(buffer, 'x', sizeof buffer);
  const bool fits = BuildSourceList(target, buffer);
  FUZZ_CHECK(fits == (target.size() + 2 <= kSourceListCapacity &&
                      target.find('\0') == std::string::npos));
  if (fits) {
    FUZZ_CHECK(std::memcmp(buffer, target.data(), target.size()) == 0);
    FUZZ_CHECK(buffer[target.size()] == '\0' && buffer[target.size() + 1] == '\0');
  } else {
    FUZZ_CHECK(buffer[0] == 'x');  // nothing written
  }
  return 0;
}
