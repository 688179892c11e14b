// Text helpers the test support shares: case folding of ASCII letters only
// (bytes of other characters, and trail bytes of double-byte ones, stay as
// they are), and the parent of a Windows path.
#pragma once

#include <string>

namespace ascii {

inline std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

inline std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// "C:\a" for "C:\a\b", the root "C:\" for "C:\a"; empty without a backslash.
inline std::string ParentOf(const std::string& path) {
  const std::size_t cut = path.find_last_of('\\');
  if (cut == std::string::npos) return std::string();
  return path.substr(0, cut == 2 && path[1] == ':' ? cut + 1 : cut);
}

}  // namespace ascii
