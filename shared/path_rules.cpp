#include "shared/path_rules.h"

#include <algorithm>
#include <cstring>

namespace {

// A path taken apart for comparison.
struct ParsedPath {
  std::string prefix;              // "x:" for a drive, "\\" for a network path, else empty
  std::vector<std::string> parts;  // components, lower case, resolved
  bool relative = false;           // neither a drive root nor a backslash in front
  bool network = false;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Windows ignores trailing dots and blanks of a path component.
std::string TrimComponent(const std::string& part) {
  if (part == "." || part == "..") return part;
  std::size_t end = part.size();
  while (end > 0 && (part[end - 1] == '.' || part[end - 1] == ' ')) --end;
  return part.substr(0, end);
}

// Takes a path apart character by character: a double-byte character is
// kept whole, even when its second byte is 0x5C, and only ASCII letters
// change case.
ParsedPath Parse(const std::string& path, const AnsiCodePage& codePage) {
  ParsedPath parsed;
  std::size_t pos = 0;
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    parsed.prefix = {AsciiLower(path[0]), ':'};
    pos = 2;
    parsed.relative = path.size() > 2 && !IsSeparator(path[2]);
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    parsed.prefix = "\\\\";
    parsed.network = true;
    pos = 2;
  } else {
    parsed.relative = !path.empty() && !IsSeparator(path[0]);
  }

  std::string part;
  while (pos <= path.size()) {
    if (pos == path.size() || IsSeparator(path[pos])) {
      part = TrimComponent(part);
      if (part == "..") {
        if (!parsed.parts.empty()) parsed.parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parsed.parts.push_back(part);
      }
      part.clear();
      ++pos;
      continue;
    }
    std::size_t length = codePage.CharLength(path, pos);
    part += length == 1 ? std::string(1, AsciiLower(path[pos])) : path.substr(pos, length);
    pos += length;
  }
  return parsed;
}

std::string Join(const ParsedPath& parsed) {
  std::string result = parsed.prefix;
  for (std::size_t i = 0; i < parsed.parts.size(); ++i) {
    if (i > 0 || !parsed.relative) result += '\\';
    result += parsed.parts[i];
  }
  return result;
}

bool IsRoot(const ParsedPath& parsed) {
  return parsed.parts.empty() || (parsed.network && parsed.parts.size() <= 2);
}

// True when `inner` is `outer` or lies below it, compared by components.
bool Contains(const ParsedPath& outer, const ParsedPath& inner) {
  return outer.prefix == inner.prefix && outer.relative == inner.relative &&
         outer.parts.size() <= inner.parts.size() &&
         std::equal(outer.parts.begin(), outer.parts.end(), inner.parts.begin());
}

// "\\.\" and "\\?\" open the device namespace, where the usual path rules
// (dots, trailing blanks, reserved names) no longer apply.
bool IsDevicePath(const std::string& path) {
  return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
         (path[2] == '.' || path[2] == '?') && IsSeparator(path[3]);
}

// A share whose name ends in '$' ("\\host\C$", "\\host\ADMIN$") is an
// administrative one: a whole drive or the system folder of that machine.
bool IsAdministrativeShare(const ParsedPath& parsed) {
  return parsed.network && parsed.parts.size() >= 2 && !parsed.parts[1].empty() &&
         parsed.parts[1].back() == '$';
}

// Where the last character that is a backslash starts, or npos.
std::size_t LastBackslash(const std::string& path, const AnsiCodePage& codePage) {
  std::size_t last = std::string::npos;
  for (std::size_t pos = 0; pos < path.size(); pos += codePage.CharLength(path, pos))
    if (path[pos] == '\\') last = pos;
  return last;
}

}  // namespace

std::string StudentsFolderFor(const std::string& location, const AnsiCodePage& codePage) {
  if (location.empty()) return "C:\\MLC Students";
  std::size_t first = 0;
  while (first < location.size() && location[first] != '\\')
    first += codePage.CharLength(location, first);
  // A location without a backslash has no front part.
  if (first == location.size()) first = 0;
  return location.substr(0, first) + "\\MLC Students";
}

std::string WithoutTrailingBackslashes(const std::string& path, const AnsiCodePage& codePage) {
  // Windows reads a slash as a backslash, so "C:\Apps/" names "C:\Apps" too.
  std::size_t end = 0;
  for (std::size_t pos = 0; pos < path.size();) {
    std::size_t length = codePage.CharLength(path, pos);
    pos += length;
    if (length > 1 || !IsSeparator(path[pos - 1])) end = pos;
  }
  return path.substr(0, end);
}

std::string FolderPathOf(const std::string& location, const AnsiCodePage& codePage) {
  std::string folder = WithoutTrailingBackslashes(location, codePage);
  bool isDrive = folder.size() == 2 && folder[1] == ':';
  if (folder.size() != location.size() && (folder.empty() || isDrive)) folder += '\\';
  return folder;
}

std::string DropLastComponent(const std::string& path, const AnsiCodePage& codePage) {
  std::size_t last = LastBackslash(path, codePage);
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string ParentFolderOf(const std::string& path, const AnsiCodePage& codePage) {
  std::string parent = DropLastComponent(WithoutTrailingBackslashes(path, codePage), codePage);
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

std::string DerivePerUserFolder(const std::string& folder, const std::string& userName,
                                const std::string& lastPart, const AnsiCodePage& codePage) {
  std::string front = folder;
  for (int i = 0; i < 3; ++i) front = DropLastComponent(front, codePage);
  if (front.empty()) return std::string();
  return front + "\\" + userName + lastPart;
}

std::string ComparablePath(const std::string& path, const AnsiCodePage& codePage) {
  return Join(Parse(path, codePage));
}

bool IsRootPath(const std::string& path, const AnsiCodePage& codePage) {
  return IsRoot(Parse(path, codePage));
}

bool IsProtectedFolder(const std::string& target,
                       const std::vector<std::string>& protectedFolders,
                       const AnsiCodePage& codePage) {
  // A wildcard names whatever happens to match, never one known folder: the
  // shell would delete every match.
  if (target.find_first_of("*?") != std::string::npos) return true;
  if (IsDevicePath(target)) return true;
  ParsedPath parsed = Parse(target, codePage);
  // A relative path names whatever the current directory happens to be.
  if (parsed.relative || IsRoot(parsed) || IsAdministrativeShare(parsed)) return true;
  bool withoutDrive = parsed.prefix.empty();
  for (const std::string& folder : protectedFolders) {
    if (folder.empty()) continue;
    ParsedPath guarded = Parse(folder, codePage);
    if (guarded.relative) continue;
    if (Contains(parsed, guarded)) return true;
    if (withoutDrive && !guarded.network && !guarded.prefix.empty()) {
      guarded.prefix.clear();
      if (Contains(parsed, guarded)) return true;
    }
  }
  return false;
}

bool BuildSourceList(const std::string& path, char (&buffer)[kSourceListCapacity]) {
  // A NUL inside the text would end the list early and name another path.
  if (path.size() + 2 > kSourceListCapacity || path.find('\0') != std::string::npos) return false;
  std::memcpy(buffer, path.data(), path.size());
  buffer[path.size()] = '\0';
  buffer[path.size() + 1] = '\0';
  return true;
}

std::string WithSingleSeparators(const std::string& path, const AnsiCodePage& codePage) {
  const std::size_t keep = path.compare(0, 2, "\\\\") == 0 ? 2 : 0;
  std::string out = path.substr(0, keep);
  // The second byte of a double-byte character may be 0x5C: it is part of
  // that character, never a separator, before or after a real one.
  bool afterSeparator = false;
  for (std::size_t pos = keep; pos < path.size();) {
    const std::size_t length = codePage.CharLength(path, pos);
    const bool separator = length == 1 && path[pos] == '\\';
    if (!separator || out.size() == keep || !afterSeparator) out.append(path, pos, length);
    afterSeparator = separator;
    pos += length;
  }
  return out;
}
