// The Windows services the program uses, as one abstract interface. Every
// method stands for one ANSI Windows call (or a tiny fixed group) and reports
// as it does: registry methods return error codes, the others a success flag
// with the code from LastError(). Paths are ANSI texts with backslashes.
// Nothing here throws or needs <windows.h>: the removal and location logic
// run on any host against the simulated machine.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>

#include "services/error_codes.h"

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
// A link (junction, symbolic link; a Unix one under Wine) leads elsewhere.
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
  // The real (wide) name cannot be spelt in the ANSI code page: `name` is a
  // stand-in ("?", or "a" for a fullwidth "a") naming another entry or none.
  bool nameNotAnsi = false;
};

// What GetVersionExA reports. All zero when the call fails.
struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;
};

// Where a file or folder lives (GetFileInformationByHandle): two paths name
// the same object exactly when their identities are equal.
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

// The ANSI code page: its number and lead bytes. In a double-byte code page
// (932, 936, 949, 950) a lead byte and the next byte, which may be 0x5C (the
// backslash), are one character: paths are walked by character, not byte.
struct AnsiCodePage {
  std::uint32_t id = 1252;
  std::bitset<256> leadBytes;  // none in a single-byte code page

  bool IsLeadByte(char c) const { return leadBytes.test(static_cast<unsigned char>(c)); }
  // Bytes in the character at `pos` (as CharNextA steps): 2 for a lead byte and its follower.
  std::size_t CharLength(const std::string& text, std::size_t pos) const {
    return IsLeadByte(text[pos]) && pos + 1 < text.size() && text[pos + 1] != '\0' ? 2 : 1;
  }
};

// How the ANSI calls reach a path whose real (wide) name is known: by the
// path converted to the code page, where that gives back the same
// characters (no "?", no best-fit look-alike); else by its short (8.3) path
// converted so (GetShortPathNameW); else not at all. For None, LastError()
// is 2 or 3 when the path is not there, and 1113 when it is there, or cannot
// be told, but has no exact spelling (no short names on its volume).
enum class AnsiSpelling { Exact, Short, None };

class IWindowsServices {
 public:
  virtual ~IWindowsServices() = default;

  // --- Registry (results are Windows error codes) ---
  // RegOpenKeyExA(parent, path, 0, access, &out).
  virtual long OpenKey(RegKey parent, const std::string& path,
                       std::uint32_t access, RegKey& out) = 0;
  // RegQueryValueExA(key, name, ..., buffer of `capacity` bytes, &size). On 0,
  // `data` holds the `size` bytes written (a string's NUL too, if stored with
  // one); 234 (more data) when the value does not fit.
  virtual long QueryValue(RegKey key, const std::string& name,
                          std::uint32_t capacity, std::string& data) = 0;
  // RegEnumKeyExA(key, index, name buffer of `capacity` with its NUL, ...).
  virtual long EnumKey(RegKey key, std::uint32_t index, std::uint32_t capacity,
                       std::string& name) = 0;
  virtual long DeleteKey(RegKey parent, const std::string& name) = 0;  // RegDeleteKeyA
  virtual long DeleteValue(RegKey key, const std::string& name) = 0;   // RegDeleteValueA
  virtual long CloseKey(RegKey key) = 0;                               // RegCloseKey

  // --- Files (success flags; LastError() tells why a call failed) ---
  virtual bool SetCurrentDir(const std::string& path) = 0;  // SetCurrentDirectoryA
  // FindFirstFileA(pattern, &data); 0 when nothing can be enumerated. A wide
  // search runs alongside, entry for entry, to fill FindData::nameNotAnsi;
  // where it is not implemented (95, 98, Me), a "?" in the ANSI name does.
  virtual FindHandle FindFirst(const std::string& pattern, FindData& out) = 0;
  virtual bool FindNext(FindHandle find, FindData& out) = 0;  // FindNextFileA
  virtual bool CloseFind(FindHandle find) = 0;                // FindClose
  virtual bool MakeDirectory(const std::string& path) = 0;    // CreateDirectoryA(path, NULL)
  virtual bool CopyOneFile(const std::string& from, const std::string& to,
                           bool failIfExists) = 0;            // CopyFileA
  // MoveFileA: renames a file (read-only too) or a folder, never replacing one (183).
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;       // DeleteFileA
  virtual bool RemoveDir(const std::string& path) = 0;        // RemoveDirectoryA
  // Clears a file's attributes, keeping its times, if it opens for reading;
  // false, changing nothing, when it does not.
  virtual bool ClearFileAttributes(const std::string& path) = 0;
  virtual long LastError() = 0;  // GetLastError

  // --- Path identity, drives and the code page ---
  // GetFullPathNameA into a 260-byte buffer; `full` is empty when it fails.
  virtual bool FullPathName(const std::string& path, std::string& full) = 0;
  // GetLongPathNameA into a 260-byte buffer; fails when the path is not there.
  // Where the system lacks it (95, NT 4.0), FindFirstFileA per component.
  virtual bool LongPathName(const std::string& path, std::string& longPath) = 0;
  // CreateFileA(path, no access, full sharing, OPEN_EXISTING, backup
  // semantics, so folders open too), GetFileInformationByHandle, CloseHandle;
  // `out` is zeroed on failure. It always fails on 95, 98 and Me (no folder
  // opens, FILE_SHARE_DELETE is refused): callers compare paths there.
  virtual bool IdentityOf(const std::string& path, FileIdentity& out) = 0;
  // GetDriveTypeA(rootPath), rootPath like "C:\" or "\\server\share\".
  virtual unsigned DriveType(const std::string& rootPath) = 0;
  // GetACP, and IsDBCSLeadByteEx for every byte value in that code page.
  virtual AnsiCodePage CodePage() = 0;

  // --- Shell ---
  // SHGetSpecialFolderPathA(no owner, 260 bytes, folder, no creation); empty
  // on failure. Where the shell lacks it (95, NT 4.0 without the desktop
  // update), SHGetSpecialFolderLocation and SHGetPathFromIDListA.
  virtual bool SpecialFolderPath(int csidlFolder, std::string& path) = 0;
  // GetEnvironmentVariableA(name, 32767 bytes); empty when not set.
  virtual bool EnvironmentVariable(const std::string& name, std::string& value) = 0;
  // GetProfilesDirectoryA, found at run time in userenv.dll; fails before
  // major version 5, which lacks it.
  virtual bool ProfilesDirectory(std::string& path) = 0;
  // SHFileOperationA(wFunc, pFrom: paths each ended by a NUL and the list by
  // a second one, no pTo, fFlags); its result, 0 for success.
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
  // GetUserNameA(buffer of `capacity`): the text up to its NUL; empty on failure.
  virtual bool UserName(std::uint32_t capacity, std::string& name) = 0;

  // --- Names the ANSI code page cannot spell (NT-based systems only) ---
  // SHGetSpecialFolderPathW(no owner, 260 characters, folder, no creation),
  // found at run time, as UTF-8. Fails with 120 on 95, 98 and Me, and where
  // the shell lacks it (NT 4.0 without the desktop update).
  virtual bool SpecialFolderPathWide(int csidlFolder, std::string& utf8) = 0;
  // GetUserNameW (257 characters), found at run time, as UTF-8; fails with
  // 120 on 95, 98 and Me.
  virtual bool UserNameWide(std::string& utf8) = 0;
  // How the ANSI calls can name a path given in UTF-8 (`ansi` empty for None).
  virtual AnsiSpelling SpellInAnsi(const std::string& utf8, std::string& ansi) = 0;

  // --- Time, for waiting out another program's brief hold on a file ---
  virtual void Sleep(std::uint32_t milliseconds) = 0;  // Sleep
  virtual std::uint32_t TickCount() = 0;  // GetTickCount: milliseconds, wrapping after 49.7 days
};

// The machine's code page, asked for on first use and kept from then on.
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
