// Files, registry keys and the Recycle Bin through the real Win32 calls: what
// the Windows test programs seed, look at and clean up with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win32test {

// An open file handle, closed when the holder goes.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : m_handle(handle) {}
  ~FileHandle() {
    if (IsOpen()) CloseHandle(m_handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
  HANDLE Get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

// An open registry key, closed when the holder goes.
class KeyHandle {
 public:
  // Opens root\path with `access`; Get() is null when that fails.
  KeyHandle(HKEY root, const std::string& path, REGSAM access);
  ~KeyHandle() {
    if (m_key != nullptr) RegCloseKey(m_key);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY Get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

// Texts between a code page (CP_ACP, CP_UTF8...) and UTF-16; empty when
// the conversion fails.
std::wstring Widen(const std::string& text, UINT codePage = CP_ACP);
std::string Narrow(const std::wstring& wide, UINT codePage = CP_ACP);

// --- Files -----------------------------------------------------------------
bool PathExists(const std::string& path);
// The entries matching `pattern` ("C:\folder\*"), without "." and "..".
std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& pattern);
// Writes all of `bytes` to a file opened with `creation` (CREATE_ALWAYS,
// CREATE_NEW...); the folder must exist.
bool WriteWholeFile(const std::string& path, const std::string& bytes,
                    DWORD creation = CREATE_ALWAYS);
bool WriteAll(HANDLE file, const std::string& bytes);
// The whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Deletes a file or a folder tree for good: read-only entries, and paths
// beyond MAX_PATH, included. A folder link goes by itself, never with what it
// leads to. A missing path counts as success.
bool DeleteTree(const std::string& path);

// --- Registry --------------------------------------------------------------
bool KeyExists(HKEY root, const std::string& path);
bool ValueExists(HKEY root, const std::string& path, const std::string& name);
bool SetStringValue(HKEY key, const std::string& name, const std::string& value);
// Deletes a key with all its subkeys, also one that cannot be opened (when
// it has no subkeys); true when it is gone, or was never there.
bool DeleteKeyTree(HKEY root, const std::string& path);

// --- Recycle Bin -----------------------------------------------------------
// Wine recycles into $XDG_DATA_HOME/Trash: files\<name> holds the item and
// info\<name>.trashinfo its original Unix path, %XX-escaped. The test
// scripts show that folder as T:; without T: it is reached through
// XDG_DATA_HOME.
struct TrashItem {
  std::string name;          // under files\ of the trash folder
  std::string originalPath;  // the Unix path it came from
};
std::string TrashFolder();  // a Windows path; empty when there is none
// Every item whose info file names its origin; an escape that is not one
// stands as it is.
std::vector<TrashItem> TrashItems();

}  // namespace win32test
