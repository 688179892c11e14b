#include "tests/support/win32_files.h"

#include "tests/support/wine_host.h"

namespace win32test {
namespace {

// The wide calls with the long-path prefix reach what the ANSI ones cannot.
void DeleteTreeW(const std::wstring& path, DWORD attributes, bool& ok) {
  const std::wstring longPath = L"\\\\?\\" + path;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    ok = winehost::RemoveFolderLink(Narrow(path)) && ok;
    return;
  }
  SetFileAttributesW(longPath.c_str(), attributes & FILE_ATTRIBUTE_DIRECTORY
                                           ? FILE_ATTRIBUTE_DIRECTORY
                                           : FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ok = DeleteFileW(longPath.c_str()) && ok;
    return;
  }
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((longPath + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..")
        DeleteTreeW(path + L"\\" + name, entry.dwFileAttributes, ok);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  ok = RemoveDirectoryW(longPath.c_str()) && ok;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the %XX escapes of a trash entry's Path= line.
std::string PercentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::wstring Widen(const std::string& text, UINT codePage) {
  const int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
  const int length =
      WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(length) - 1);
  return narrow;
}

KeyHandle::KeyHandle(HKEY root, const std::string& path, REGSAM access) {
  if (RegOpenKeyExA(root, path.c_str(), 0, access, &m_key) != ERROR_SUCCESS) m_key = nullptr;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& pattern) {
  std::vector<WIN32_FIND_DATAA> entries;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") entries.push_back(data);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return entries;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, DWORD creation) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, creation,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.IsOpen() && WriteAll(file.Get(), bytes);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return false;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  return true;
}

bool DeleteTree(const std::string& path) {
  // "" or a relative path would reach into the current folder.
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return false;
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW((L"\\\\?\\" + wide).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  bool ok = true;
  DeleteTreeW(wide, attributes, ok);
  return ok;
}

bool KeyExists(HKEY root, const std::string& path) {
  return KeyHandle(root, path, KEY_READ).Get() != nullptr;
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name) {
  KeyHandle key(root, path, KEY_READ);
  return key.Get() != nullptr &&
         RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
}

bool SetStringValue(HKEY key, const std::string& name, const std::string& value) {
  // Stored with its terminating NUL, as programs usually write strings.
  return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY root, const std::string& path) {
  if (path.empty()) return false;  // an empty path would open the root itself
  {
    KeyHandle key(root, path, KEY_READ | KEY_WRITE);
    char name[256];
    DWORD size = sizeof name;
    while (key.Get() != nullptr &&
           RegEnumKeyExA(key.Get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           DeleteKeyTree(key.Get(), name)) {
      size = sizeof name;
    }
  }
  const LONG rc = RegDeleteKeyA(root, path.c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::string TrashFolder() {
  if (PathExists("T:\\files") && PathExists("T:\\info")) return "T:";
  char data[MAX_PATH] = "";
  const DWORD length = GetEnvironmentVariableA("XDG_DATA_HOME", data, sizeof data);
  if (length == 0 || length >= sizeof data) return std::string();
  const std::string folder = winehost::WindowsName(std::string(data) + "/Trash");
  return PathExists(folder + "\\info") ? folder : std::string();
}

std::vector<TrashItem> TrashItems() {
  std::vector<TrashItem> items;
  const std::string trash = TrashFolder();
  if (trash.empty()) return items;
  const std::string suffix = ".trashinfo";
  for (const WIN32_FIND_DATAA& entry : ListFolder(trash + "\\info\\*" + suffix)) {
    std::string info;
    if (!ReadWholeFile(trash + "\\info\\" + entry.cFileName, info)) continue;
    std::size_t start = info.find("\nPath=");
    if (start == std::string::npos) continue;
    start += 6;
    const std::size_t end = info.find_first_of("\r\n", start);
    const std::size_t length = end == std::string::npos ? end : end - start;
    const std::string name = entry.cFileName;
    items.push_back({name.substr(0, name.size() - suffix.size()),
                     PercentDecode(info.substr(start, length))});
  }
  return items;
}

}  // namespace win32test
