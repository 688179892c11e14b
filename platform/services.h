// The Windows services the program uses, as one abstract interface.
//
// Every method stands for one ANSI Windows call (or a tiny fixed group of them)
// and reports the way that call does: registry methods return Windows error
// codes, the others a success flag with the error code available from
// LastError(). Paths are ANSI-code-page texts with backslash separators.
// Nothing here throws, and nothing here needs <windows.h>: the removal and
// location logic compile and run on any host against the simulated machine.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/error_codes.h"

// Registry key handle. The predefined roots carry their Windows values.
using RegKey = std::uintptr_t;
constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;

// Registry access masks.
constexpr std::uint32_t kKeyRead = 0x20019;       // KEY_READ
constexpr std::uint32_t kKeyReadWrite = 0x2001F;  // KEY_READ | KEY_WRITE
constexpr std::uint32_t kKeyAllAccess = 0xF003F;  // KEY_ALL_ACCESS

// File attribute bits.
constexpr std::uint32_t kAttrReadOnly = 0x1;
constexpr std::uint32_t kAttrHidden = 0x2;
constexpr std::uint32_t kAttrSystem = 0x4;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrNormal = 0x80;
// A link (junction, symbolic link; a Unix symbolic link under Wine): a
// folder entry with this bit leads somewhere else.
constexpr std::uint32_t kAttrReparsePoint = 0x400;

// GetDriveTypeA results the program tells apart.
constexpr unsigned kDriveNoRootDir = 1;  // DRIVE_NO_ROOT_DIR: no such drive
constexpr unsigned kDriveFixed = 3;      // DRIVE_FIXED: the only kind with a Recycle Bin

// Shell special folders (CSIDL values).
namespace csidl {
constexpr int kStartMenu = 0x0B;
constexpr int kDesktopDirectory = 0x10;
constexpr int kCommonStartMenu = 0x16;
constexpr int kCommonDesktopDirectory = 0x19;
constexpr int kAppData = 0x1A;
constexpr int kCommonAppData = 0x23;
constexpr int kWindows = 0x24;
constexpr int kSystem = 0x25;
constexpr int kProgramFiles = 0x26;
constexpr int kPersonal = 0x05;
constexpr int kProfile = 0x28;
constexpr int kProgramFilesX86 = 0x2A;
constexpr int kProgramFilesCommon = 0x2B;
}  // namespace csidl

// SHFileOperation: the one operation and the flags the program uses.
constexpr unsigned kFoDelete = 0x3;
constexpr unsigned kFofSilent = 0x4;
constexpr unsigned kFofNoConfirmation = 0x10;
constexpr unsigned kFofAllowUndo = 0x40;
constexpr unsigned kFofNoErrorUi = 0x400;
constexpr unsigned kRecycleFlags = 0x454;  // the four above together

// SHBrowseForFolder flag for the typed-folder field.
constexpr unsigned kBifEditBox = 0x10;

// A window handle, carried opaquely; 0 means none.
using WindowHandle = std::uintptr_t;
// A search handle from FindFirst; 0 means "no search" (INVALID_HANDLE_VALUE).
using FindHandle = std::uintptr_t;
// A shell item-id list from the folder browser; 0 means none (cancelled).
using ItemList = std::uintptr_t;

// One directory entry as FindFirstFileA/FindNextFileA report it.
struct FindData {
  std::string name;             // cFileName
  std::uint32_t attributes = 0; // dwFileAttributes
  // The entry's real (wide) name cannot be spelt in the ANSI code page:
  // `name` is a best-fit stand-in ("?" or a look-alike such as "a" for a
  // fullwidth "a") that names another entry or none at all.
  bool nameNotAnsi = false;
};

// What GetVersionExA reports. All zero when the call fails.
struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;
};

// Where a file or folder lives, as GetFileInformationByHandle tells it: two
// paths name the same object exactly when their identities are equal.
struct FileIdentity {
  std::uint32_t volumeSerial = 0;
  std::uint64_t fileIndex = 0;
  bool operator==(const FileIdentity& other) const {
    return volumeSerial == other.volumeSerial && fileIndex == other.fileIndex;
  }
  bool operator<(const FileIdentity& other) const {
    return volumeSerial != other.volumeSerial ? volumeSerial < other.volumeSerial
                                              : fileIndex < other.fileIndex;
  }
};

// The ANSI code page: its number and its lead bytes. In a double-byte code
// page (932, 936, 949, 950) a lead byte and the byte after it are one
// character, and that second byte may be 0x5C, the backslash, so path texts
// are walked character by character, never byte by byte.
struct AnsiCodePage {
  std::uint32_t id = 1252;
  std::bitset<256> leadBytes;  // none in a single-byte code page

  bool IsLeadByte(char c) const { return leadBytes.test(static_cast<unsigned char>(c)); }
  // Bytes in the character that starts at `pos` (as CharNextA steps): two for
  // a lead byte followed by another byte, else one.
  std::size_t CharLength(const std::string& text, std::size_t pos) const {
    return IsLeadByte(text[pos]) && pos + 1 < text.size() && text[pos + 1] != '\0' ? 2 : 1;
  }
  // Where the last character of `text` starts (as CharPrevA from the end
  // finds it); text.size() for an empty text.
  std::size_t LastCharStart(const std::string& text) const {
    std::size_t last = text.size();
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) last = pos;
    return last;
  }
};

class IWindowsServices {
 public:
  virtual ~IWindowsServices() = default;

  // --- Registry (results are Windows error codes) ---
  // RegOpenKeyExA(parent, path, 0, access, &out).
  virtual long OpenKey(RegKey parent, const std::string& path,
                       std::uint32_t access, RegKey& out) = 0;
  // RegQueryValueExA(key, name, no reserved, no type, buffer, &size) with a
  // buffer of `capacity` bytes. On 0, `data` holds the `size` bytes that the
  // call wrote (a string value's data includes its terminating NUL when the
  // value was stored with one). 234 (more data) when the value does not fit.
  virtual long QueryValue(RegKey key, const std::string& name,
                          std::uint32_t capacity, std::string& data) = 0;
  // RegEnumKeyExA(key, index, name, &size, ..., no class, &time) with a name
  // buffer of `capacity` characters (the terminating NUL included).
  virtual long EnumKey(RegKey key, std::uint32_t index, std::uint32_t capacity,
                       std::string& name) = 0;
  virtual long DeleteKey(RegKey parent, const std::string& name) = 0;  // RegDeleteKeyA
  virtual long DeleteValue(RegKey key, const std::string& name) = 0;   // RegDeleteValueA
  virtual long CloseKey(RegKey key) = 0;                               // RegCloseKey

  // --- Files (success flags; LastError() tells why a call failed) ---
  virtual bool SetCurrentDir(const std::string& path) = 0;  // SetCurrentDirectoryA
  // FindFirstFileA(pattern, &data); returns 0 when nothing can be enumerated.
  // A wide search of the same pattern runs alongside (FindFirstFileW and
  // FindNextFileW, entry for entry) to fill FindData::nameNotAnsi. Where the
  // wide search is not implemented (Windows 95, 98, Me), a "?" in the ANSI
  // name fills it: the code page could not hold the name.
  virtual FindHandle FindFirst(const std::string& pattern, FindData& out) = 0;
  virtual bool FindNext(FindHandle find, FindData& out) = 0;  // FindNextFileA
  virtual bool CloseFind(FindHandle find) = 0;                // FindClose
  virtual bool MakeDirectory(const std::string& path) = 0;    // CreateDirectoryA(path, NULL)
  virtual bool CopyOneFile(const std::string& from, const std::string& to,
                           bool failIfExists) = 0;            // CopyFileA
  // MoveFileA(from, to): renames a file (a read-only one too) and never
  // replaces one: when `to` exists the call fails with 183 (already exists).
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;       // DeleteFileA
  virtual bool RemoveDir(const std::string& path) = 0;        // RemoveDirectoryA
  // Clears a file's attributes (read-only, hidden, system, archive) while its
  // times stay as they are, but only if the file can be opened for reading.
  // Returns false, changing nothing, when it cannot be opened.
  virtual bool ClearFileAttributes(const std::string& path) = 0;
  virtual long LastError() = 0;  // GetLastError

  // --- Path identity, drives and the code page ---
  // GetFullPathNameA into a 260-byte buffer; `full` is empty when it fails.
  virtual bool FullPathName(const std::string& path, std::string& full) = 0;
  // GetLongPathNameA into a 260-byte buffer: short (8.3) names replaced by
  // the long ones. Fails when the path does not exist. Looked up at run time;
  // where the system lacks it (95, NT 4.0), each component is resolved by
  // FindFirstFileA instead, with the same result.
  virtual bool LongPathName(const std::string& path, std::string& longPath) = 0;
  // CreateFileA(path, no access, full sharing, OPEN_EXISTING,
  // FILE_FLAG_BACKUP_SEMANTICS) so that a folder opens too, then
  // GetFileInformationByHandle and CloseHandle. `out` is zeroed on failure.
  // Windows 95, 98 and Me open no folder and refuse FILE_SHARE_DELETE: there
  // it always fails, and callers compare paths instead.
  virtual bool IdentityOf(const std::string& path, FileIdentity& out) = 0;
  // GetDriveTypeA(rootPath), rootPath like "C:\" or "\\server\share\".
  virtual unsigned DriveType(const std::string& rootPath) = 0;
  // GetACP, and IsDBCSLeadByteEx for every byte value in that code page.
  virtual AnsiCodePage CodePage() = 0;

  // --- Shell ---
  // SHGetSpecialFolderPathA(no owner, 260-byte buffer, folder, no creation).
  // `path` is emptied first and stays empty when the call fails. Looked up at
  // run time; where the shell lacks it (95 and NT 4.0 without the desktop
  // update), SHGetSpecialFolderLocation and SHGetPathFromIDListA instead.
  virtual bool SpecialFolderPath(int csidlFolder, std::string& path) = 0;
  // GetEnvironmentVariableA(name, buffer of 32767); `value` is empty when the
  // variable is not set.
  virtual bool EnvironmentVariable(const std::string& name, std::string& value) = 0;
  // GetProfilesDirectoryA: the folder that holds the user profiles. Found at
  // run time in userenv.dll, which systems before major version 5 lack:
  // there the call fails.
  virtual bool ProfilesDirectory(std::string& path) = 0;
  // SHFileOperationA with wFunc `operation`, pFrom `fromList` (a list of
  // NUL-terminated paths ended by a second NUL), no pTo, fFlags `flags`.
  // Returns the call's result: 0 is success.
  virtual int ShellFileOperation(WindowHandle owner, unsigned operation,
                                 const char* fromList, unsigned flags) = 0;
  virtual bool ComInitialize() = 0;    // CoInitialize(NULL) succeeded (S_OK or S_FALSE)
  virtual void ComUninitialize() = 0;  // CoUninitialize
  // SHBrowseForFolderA with a zeroed BROWSEINFOA but for hwndOwner, ulFlags and
  // lpszTitle. The owner stays disabled while the browser is open.
  virtual ItemList BrowseForFolder(WindowHandle owner, const std::string& title,
                                   unsigned flags) = 0;
  // SHGetPathFromIDListA into a 260-byte buffer.
  virtual bool PathFromItemList(ItemList items, std::string& path) = 0;
  virtual void FreeItemList(ItemList items) = 0;  // CoTaskMemFree

  // --- System ---
  // GetVersionExA on a zeroed OSVERSIONINFOA of size 148; `out` stays zero on failure.
  virtual bool GetOsVersion(OsVersion& out) = 0;
  // GetUserNameA with a buffer of `capacity` characters; `name` is the text
  // up to the first NUL, empty when the call fails.
  virtual bool UserName(std::uint32_t capacity, std::string& name) = 0;
};

// The machine's code page, asked for when it is first needed (the services
// may be set up after those who share it are made) and kept from then on.
class MachineCodePage {
 public:
  explicit MachineCodePage(IWindowsServices& services) : m_services(services) {}
  const AnsiCodePage& Get() {
    if (!m_loaded) m_codePage = m_services.CodePage();
    m_loaded = true;
    return m_codePage;
  }

 private:
  IWindowsServices& m_services;
  AnsiCodePage m_codePage;
  bool m_loaded = false;
};
