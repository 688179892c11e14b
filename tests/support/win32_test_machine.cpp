// The real machine for the contract suite under Windows (Wine): the services
// are the real calls, and all seeding happens inside a scratch folder
// C:\rmlc-scratch\<pid>-<n> and a scratch key
// HKEY_CURRENT_USER\Software\RemoveMLC-tests\<pid>-<n>, both made fresh for
// each machine and removed with it. The whole machine, for seeding an
// installation, has neither and writes anywhere.
//
// The Recycle Bin is read from the Wine prefix's trash, which the test
// scripts map to drive T: (T:\info holds one .trashinfo file per item).
#include <windows.h>

#include <algorithm>
#include <set>
#include <vector>

#include "tests/support/ascii_text.h"
#include "tests/support/test_machine.h"
#include "tests/support/win32_files.h"
#include "tests/support/wine_host.h"
#include "win32/win32_keys.h"
#include "win32/win32_services.h"

namespace {

using win32test::DeleteKeyTree;
using win32test::DeleteTree;
using win32test::FileHandle;
using win32test::KeyHandle;
using win32test::Narrow;
using win32test::ReadWholeFile;
using win32test::TrashItem;
using win32test::TrashItems;
using win32test::Widen;
using win32test::WriteAll;
using win32test::WriteWholeFile;

const char kScratchRoot[] = "C:\\rmlc-scratch";
const char kScratchKeyRoot[] = "Software\\RemoveMLC-tests";

// True when `path` is `folder` itself or lies below it (case-insensitive).
bool IsWithin(const std::string& path, const std::string& folder) {
  std::string p = ascii::Lower(path), f = ascii::Lower(folder);
  return p.compare(0, f.size(), f) == 0 &&
         (p.size() == f.size() || p[f.size()] == '\\');
}

// The Windows path on drive C: of a trashed item's Unix path, or empty.
std::string OnDriveC(const std::string& unixPath, const std::string& driveCUnix) {
  if (driveCUnix.empty() || unixPath.compare(0, driveCUnix.size(), driveCUnix) != 0)
    return std::string();
  std::string path = "C:\\" + unixPath.substr(driveCUnix.size());
  std::replace(path.begin(), path.end(), '/', '\\');
  // Wine writes Unix names in UTF-8.
  return Narrow(Widen(path, CP_UTF8));
}

class Win32TestMachine : public ITestMachine {
 public:
  explicit Win32TestMachine(bool confined) : m_confined(confined) {
    char current[MAX_PATH] = {};
    if (GetCurrentDirectoryA(MAX_PATH, current) != 0) m_startFolder = current;
    m_driveCUnix = winehost::UnixName("C:\\");
    if (!m_driveCUnix.empty() && m_driveCUnix.back() != '/') m_driveCUnix += '/';
    for (const TrashItem& item : TrashItems()) m_trashBefore.insert(item.name);
    if (!m_confined) return;

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
    if (!m_confined) return;
    // Out of the scratch folder, or it cannot be removed.
    if (m_startFolder.empty() || !SetCurrentDirectoryA(m_startFolder.c_str()))
      SetCurrentDirectoryA("C:\\");
    if (!m_folder.empty()) DeleteTree(m_folder);
    RemoveDirectoryA(kScratchRoot);  // only once no other machine uses it
    if (!m_key.empty()) DeleteKeyTree(HKEY_CURRENT_USER, m_key);
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKeyRoot);
  }

  IWindowsServices& Services() override { return m_services; }
  std::string ScratchFolder() override { return m_keyReady ? m_folder : std::string(); }
  std::string ScratchKey() override { return m_keyReady ? m_key : std::string(); }

  bool PutFile(const std::string& path, const std::string& bytes) override {
    return InScratch(path) && WriteWholeFile(path, bytes);
  }

  bool GetFile(const std::string& path, std::string& bytes) override {
    return ReadWholeFile(path, bytes);
  }

  bool MakeFolder(const std::string& path) override {
    return InScratch(path) && CreateDirectoryA(path.c_str(), nullptr) != 0;
  }

  bool PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name,
                          const std::string& bytes) override {
    if (!IsWithin(folder, m_folder) || m_folder.empty()) return false;
    std::wstring path = Widen(folder) + L"\\" + Widen(utf8Name, CP_UTF8);
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
    for (const TrashItem& item : TrashItems()) {
      if (m_trashBefore.count(item.name) != 0) continue;
      const std::string original = OnDriveC(item.originalPath, m_driveCUnix);
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
    return win32test::KeyExists(ToHkey(root), path);
  }

  bool ValueExists(RegKey root, const std::string& path, const std::string& name) override {
    return win32test::ValueExists(ToHkey(root), path, name);
  }

 private:
  // Seeding writes only below the scratch folder and the scratch key, so that
  // a faulty test cannot touch anything else in the prefix.
  bool InScratch(const std::string& path) const {
    return !m_confined ||
           (!m_folder.empty() && IsWithin(path, m_folder) && path.size() > m_folder.size());
  }
  bool InScratchKey(RegKey root, const std::string& path) const {
    return !m_confined || (root == kHkeyCurrentUser && !m_key.empty() && IsWithin(path, m_key));
  }

  bool SetValue(RegKey root, const std::string& path, const std::string& name, DWORD type,
                const char* data, std::size_t size) {
    if (!InScratchKey(root, path)) return false;
    KeyHandle opened(ToHkey(root), path, KEY_SET_VALUE);
    return opened.Get() != nullptr &&
           RegSetValueExA(opened.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
  }

  const bool m_confined;
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
  return std::make_unique<Win32TestMachine>(true);
}

std::unique_ptr<ITestMachine> MakeWholeMachine() {
  return std::make_unique<Win32TestMachine>(false);
}
