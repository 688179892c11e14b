// The real machine for the contract suite under Windows (Wine): the services
// are the real calls, and all seeding happens inside a scratch folder
// C:\rmlc-scratch\<pid>-<n> and a scratch key
// HKEY_CURRENT_USER\Software\RemoveMLC-tests\<pid>-<n>, both made fresh for
// each machine and removed with it.
//
// The Recycle Bin is read from the Wine prefix's trash, which the test
// scripts map to drive T: (T:\info holds one .trashinfo file per item).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <vector>

#include "platform/win32_keys.h"
#include "platform/win32_services.h"
#include "tests/support/test_machine.h"
#include "tests/support/wine_host.h"

namespace {

const char kScratchRoot[] = "C:\\rmlc-scratch";
const char kScratchKeyRoot[] = "Software\\RemoveMLC-tests";
const char kTrashInfo[] = "T:\\info";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// True when `path` is `folder` itself or lies below it (case-insensitive).
bool IsWithin(const std::string& path, const std::string& folder) {
  std::string p = Lower(path), f = Lower(folder);
  return p.compare(0, f.size(), f) == 0 &&
         (p.size() == f.size() || p[f.size()] == '\\');
}

// An open Win32 file handle, closed when the holder goes.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : m_handle(handle) {}
  ~FileHandle() {
    if (IsOpen()) CloseHandle(m_handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// Names of the entries of a folder (without "." and ".."), read via `pattern`.
std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& pattern) {
  std::vector<WIN32_FIND_DATAA> entries;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") entries.push_back(data);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return entries;
}

// Deletes a folder with everything below it, read-only entries included.
void RemoveTree(const std::string& folder) {
  if (folder.empty()) return;  // "\*" would list the root of the current drive
  for (const WIN32_FIND_DATAA& entry : ListFolder(folder + "\\*")) {
    std::string path = folder + "\\" + entry.cFileName;
    // A link goes by itself, never with what it leads to.
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      winehost::RemoveFolderLink(path);
      continue;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveTree(path);
    else
      DeleteFileA(path.c_str());
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

// Deletes a registry key with all its subkeys; false when something stays.
bool DeleteKeyTree(HKEY parent, const std::string& path) {
  if (path.empty()) return false;  // an empty path would open the parent itself
  // A key that cannot be opened (a test may have denied access to it) can
  // still be deleted through its parent when it has no subkeys.
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
    char name[256];
    DWORD size = sizeof name;
    while (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS &&
           DeleteKeyTree(key, name)) {
      size = sizeof name;
    }
    RegCloseKey(key);
  }
  return RegDeleteKeyA(parent, path.c_str()) == ERROR_SUCCESS;
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

std::wstring WideFrom(const std::string& text, UINT codePage) {
  int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

// A UTF-8 text (as Wine writes Unix names) in the ANSI code page.
std::string Utf8ToAnsi(const std::string& utf8) {
  int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (wideLength <= 0) return utf8;
  std::wstring wide(wideLength, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], wideLength);
  int ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (ansiLength <= 0) return utf8;
  std::string ansi(ansiLength, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], ansiLength, nullptr, nullptr);
  ansi.resize(ansiLength - 1);
  return ansi;
}

// The original Windows path that a .trashinfo file records, or empty.
std::string TrashedPath(const std::string& infoFile, const std::string& driveCUnix) {
  FILE* file = std::fopen(infoFile.c_str(), "rb");
  if (file == nullptr) return std::string();
  std::string content;
  char chunk[512];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
  std::fclose(file);

  std::size_t start = content.find("\nPath=");
  if (start == std::string::npos) return std::string();
  start += 6;
  std::size_t end = content.find_first_of("\r\n", start);
  std::string unixPath = PercentDecode(content.substr(start, end - start));
  if (driveCUnix.empty() || unixPath.compare(0, driveCUnix.size(), driveCUnix) != 0)
    return std::string();
  std::string path = "C:\\" + unixPath.substr(driveCUnix.size());
  std::replace(path.begin(), path.end(), '/', '\\');
  return Utf8ToAnsi(path);
}

class Win32TestMachine : public ITestMachine {
 public:
  Win32TestMachine() {
    char current[MAX_PATH] = {};
    if (GetCurrentDirectoryA(MAX_PATH, current) != 0) m_startFolder = current;
    m_driveCUnix = winehost::UnixName("C:\\");
    if (!m_driveCUnix.empty() && m_driveCUnix.back() != '/') m_driveCUnix += '/';
    for (const WIN32_FIND_DATAA& entry : ListFolder(std::string(kTrashInfo) + "\\*"))
      m_trashBefore.insert(entry.cFileName);

    CreateDirectoryA(kScratchRoot, nullptr);
    std::string prefix = std::to_string(GetCurrentProcessId()) + "-";
    for (int n = 1; m_folder.empty() && n < 10000; ++n) {
      std::string folder = std::string(kScratchRoot) + "\\" + prefix + std::to_string(n);
      if (CreateDirectoryA(folder.c_str(), nullptr)) {
        m_folder = folder;
        m_key = std::string(kScratchKeyRoot) + "\\" + prefix + std::to_string(n);
      }
    }
    if (m_folder.empty()) return;
    DeleteKeyTree(HKEY_CURRENT_USER, m_key);  // a leftover of an earlier process
    m_keyReady = CreateKey(kHkeyCurrentUser, m_key);
  }

  ~Win32TestMachine() override {
    ReleaseHeld();
    // Out of the scratch folder, or it cannot be removed.
    if (m_startFolder.empty() || !SetCurrentDirectoryA(m_startFolder.c_str()))
      SetCurrentDirectoryA("C:\\");
    if (!m_folder.empty()) RemoveTree(m_folder);
    RemoveDirectoryA(kScratchRoot);  // only once no other machine uses it
    if (!m_key.empty()) DeleteKeyTree(HKEY_CURRENT_USER, m_key);
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKeyRoot);
  }

  IWindowsServices& Services() override { return m_services; }
  std::string ScratchFolder() override { return m_keyReady ? m_folder : std::string(); }
  std::string ScratchKey() override { return m_keyReady ? m_key : std::string(); }

  bool PutFile(const std::string& path, const std::string& bytes) override {
    if (!InScratch(path)) return false;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsOpen() && WriteAll(file.Get(), bytes);
  }

  bool GetFile(const std::string& path, std::string& bytes) override {
    bytes.clear();
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
      bytes.append(chunk, got);
    return true;
  }

  bool MakeFolder(const std::string& path) override {
    return InScratch(path) && CreateDirectoryA(path.c_str(), nullptr) != 0;
  }

  bool PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name,
                          const std::string& bytes) override {
    if (!IsWithin(folder, m_folder) || m_folder.empty()) return false;
    std::wstring path = WideFrom(folder, CP_ACP) + L"\\" + WideFrom(utf8Name, CP_UTF8);
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsOpen() && WriteAll(file.Get(), bytes);
  }

  bool MakeFolderLink(const std::string& link, const std::string& target) override {
    return InScratch(link) && winehost::MakeFolderLink(link, target);
  }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::uint32_t Attributes(const std::string& path) override {
    return GetFileAttributesA(path.c_str());
  }

  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return InScratch(path) && SetFileAttributesA(path.c_str(), attributes) != 0;
  }

  bool GetWriteTime(const std::string& path, std::uint64_t& time) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    time = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
    return true;
  }

  bool SetWriteTime(const std::string& path, std::uint64_t time) override {
    if (!InScratch(path)) return false;
    FileHandle file(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(time);
    written.dwHighDateTime = static_cast<DWORD>(time >> 32);
    return file.IsOpen() && SetFileTime(file.Get(), nullptr, nullptr, &written);
  }

  std::string CurrentFolder() override {
    char current[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    return length > 0 && length < MAX_PATH ? std::string(current, length) : std::string();
  }

  bool HoldOpen(const std::string& path) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    m_held.push_back(file);
    return true;
  }

  void ReleaseHeld() override {
    for (HANDLE file : m_held) CloseHandle(file);
    m_held.clear();
  }

  std::string ShortPath(const std::string& path) override {
    char buffer[MAX_PATH] = {};
    DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
  }

  // Wine takes the ANSI code page from the locale it is started in
  // (LC_ALL=ja_JP.UTF-8 gives 932); a running program cannot change it.
  bool UseCodePage(std::uint32_t id) override { return GetACP() == id; }
  bool SetEnvironment(const std::string& name, const std::string& value) override {
    return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0;
  }

  // Only what was recycled while this machine existed: the trash belongs to
  // the whole Wine prefix, and earlier processes may have used the same name.
  std::vector<std::string> RecycledFrom(const std::string& folder) override {
    std::vector<std::string> paths;
    for (const WIN32_FIND_DATAA& entry : ListFolder(std::string(kTrashInfo) + "\\*.trashinfo")) {
      if (m_trashBefore.count(entry.cFileName) != 0) continue;
      std::string original =
          TrashedPath(std::string(kTrashInfo) + "\\" + entry.cFileName, m_driveCUnix);
      if (!original.empty() && IsWithin(original, folder)) paths.push_back(original);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  bool CreateKey(RegKey root, const std::string& path) override {
    if (!InScratchKey(root, path)) return false;
    HKEY created = nullptr;
    if (RegCreateKeyExA(ToHkey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
      return false;
    RegCloseKey(created);
    return true;
  }

  bool SetStringValue(RegKey root, const std::string& path, const std::string& name,
                      const std::string& value) override {
    // Stored with its terminating NUL, as programs usually write strings.
    return SetValue(root, path, name, REG_SZ, value.c_str(), value.size() + 1);
  }

  bool SetBinaryValue(RegKey root, const std::string& path, const std::string& name,
                      const std::string& bytes) override {
    return SetValue(root, path, name, REG_BINARY, bytes.data(), bytes.size());
  }

  bool KeyExists(RegKey root, const std::string& path) override {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(ToHkey(root), path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
      return false;
    RegCloseKey(opened);
    return true;
  }

  bool ValueExists(RegKey root, const std::string& path, const std::string& name) override {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(ToHkey(root), path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
      return false;
    LONG rc = RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(opened);
    return rc == ERROR_SUCCESS;
  }

 private:
  // Seeding writes only below the scratch folder and the scratch key, so that
  // a faulty test cannot touch anything else in the prefix.
  bool InScratch(const std::string& path) const {
    return !m_folder.empty() && IsWithin(path, m_folder) && path.size() > m_folder.size();
  }
  bool InScratchKey(RegKey root, const std::string& path) const {
    return root == kHkeyCurrentUser && !m_key.empty() && IsWithin(path, m_key);
  }

  bool SetValue(RegKey root, const std::string& path, const std::string& name, DWORD type,
                const char* data, std::size_t size) {
    if (!InScratchKey(root, path)) return false;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(ToHkey(root), path.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
      return false;
    LONG rc = RegSetValueExA(opened, name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(opened);
    return rc == ERROR_SUCCESS;
  }

  Win32Services m_services;
  std::string m_folder;
  std::string m_key;
  bool m_keyReady = false;
  std::string m_startFolder;
  std::string m_driveCUnix;
  std::set<std::string> m_trashBefore;
  std::vector<HANDLE> m_held;
};

}  // namespace

std::unique_ptr<ITestMachine> MakeTestMachine() {
  return std::make_unique<Win32TestMachine>();
}
