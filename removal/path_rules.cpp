#include "removal/path_rules.h"

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

ParsedPath Parse(const std::string& path) {
  ParsedPath parsed;
  std::string text;
  text.reserve(path.size());
  for (char c : path) text += IsSeparator(c) ? '\\' : AsciiLower(c);

  std::size_t pos = 0;
  if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
    parsed.prefix = text.substr(0, 2);
    pos = 2;
    parsed.relative = text.size() == 2 ? false : text[2] != '\\';
  } else if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
    parsed.prefix = "\\\\";
    parsed.network = true;
    pos = 2;
  } else {
    parsed.relative = text.empty() ? false : text[0] != '\\';
  }

  std::size_t start = pos;
  while (start <= text.size()) {
    std::size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    std::string part = TrimComponent(text.substr(start, end - start));
    if (part == "..") {
      if (!parsed.parts.empty()) parsed.parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parsed.parts.push_back(part);
    }
    start = end + 1;
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

// True when `inner` is `outer` or lies below it.
bool Contains(const std::string& outer, const std::string& inner) {
  if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
  return inner.size() == outer.size() || inner[outer.size()] == '\\';
}

}  // namespace

std::string StudentsFolderFor(const std::string& location) {
  if (location.empty()) return "C:\\MLC Students";
  std::size_t first = location.find('\\');
  return (first == std::string::npos ? std::string() : location.substr(0, first)) +
         "\\MLC Students";
}

std::string WithoutTrailingBackslashes(const std::string& path) {
  // Windows reads a slash as a backslash, so "C:\Apps/" names "C:\Apps" too.
  std::size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  return path.substr(0, end);
}

std::string FolderPathOf(const std::string& location) {
  std::string folder = WithoutTrailingBackslashes(location);
  bool isDrive = folder.size() == 2 && folder[1] == ':';
  if (folder.size() != location.size() && (folder.empty() || isDrive)) folder += '\\';
  return folder;
}

std::string DropLastComponent(const std::string& path) {
  std::size_t last = path.rfind('\\');
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string ParentFolderOf(const std::string& path) {
  std::string parent = DropLastComponent(WithoutTrailingBackslashes(path));
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

std::string DerivePerUserFolder(const std::string& folder, const std::string& userName,
                                const std::string& lastPart) {
  std::string front = folder;
  for (int i = 0; i < 3; ++i) front = DropLastComponent(front);
  if (front.empty()) return std::string();
  return front + "\\" + userName + lastPart;
}

std::string ComparablePath(const std::string& path) { return Join(Parse(path)); }

bool IsRootPath(const std::string& path) { return IsRoot(Parse(path)); }

bool IsProtectedFolder(const std::string& target,
                       const std::vector<std::string>& protectedFolders) {
  // A wildcard names whatever happens to match, never one known folder: the
  // shell would delete every match.
  if (target.find_first_of("*?") != std::string::npos) return true;
  ParsedPath parsed = Parse(target);
  // A relative path names whatever the current directory happens to be.
  if (parsed.relative || IsRoot(parsed)) return true;
  std::string comparable = Join(parsed);
  bool withoutDrive = parsed.prefix.empty();
  for (const std::string& folder : protectedFolders) {
    if (folder.empty()) continue;
    ParsedPath guarded = Parse(folder);
    if (guarded.relative) continue;
    if (Contains(comparable, Join(guarded))) return true;
    if (withoutDrive && !guarded.network && !guarded.prefix.empty()) {
      guarded.prefix.clear();
      if (Contains(comparable, Join(guarded))) return true;
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

std::string WithSingleSeparators(const std::string& path) {
  const std::size_t keep = path.compare(0, 2, "\\\\") == 0 ? 2 : 0;
  std::string out = path.substr(0, keep);
  for (std::size_t i = keep; i < path.size(); ++i)
    if (path[i] != '\\' || out.size() == keep || out.back() != '\\') out += path[i];
  return out;
}
