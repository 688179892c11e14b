// The Windows services the program uses, as one abstract interface whose
// calls are listed in services/service_calls.h, and the types they carry.
// Nothing here throws or needs <windows.h>: the removal and location logic
// run on any host against the simulated machine.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
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
#define RMLC_SERVICE_CALL(Result, Name, Params) virtual Result Name Params = 0;
#include "services/service_calls.h"
};

// A machine declares every call it implements by including the list with
// "#define RMLC_SERVICE_CALL RMLC_SERVICE_OVERRIDE" in front.
#define RMLC_SERVICE_OVERRIDE(Result, Name, Params) Result Name Params override;

// The machine's code page, asked for on first use and kept from then on.
class MachineCodePage {
 public:
  explicit MachineCodePage(IWindowsServices& services) : m_services(services) {}
  const AnsiCodePage& Get() {
    if (!m_codePage) m_codePage = m_services.CodePage();
    return *m_codePage;
  }

 private:
  IWindowsServices& m_services;
  std::optional<AnsiCodePage> m_codePage;
};
