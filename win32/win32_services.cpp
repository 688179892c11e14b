#include "win32/win32_services.h"

#include "win32/win32_keys.h"
#include "win32/win32_libraries.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

// A directory search: the ANSI one the program reads, and a wide one beside
// it, entry for entry, that tells which names the code page cannot hold
// (where it is not implemented, 120 on 95, 98 and Me, ANSI names stand alone).
struct DualSearch {
  HANDLE ansi = INVALID_HANDLE_VALUE;
  HANDLE wide = INVALID_HANDLE_VALUE;
  bool ansiOnly = false;
};

// The search behind a handle; null, with the error a bad handle gives, for none.
DualSearch* ToSearch(FindHandle find) {
  if (find == 0) SetLastError(ERROR_INVALID_HANDLE);
  return reinterpret_cast<DualSearch*>(find);
}

// A zeroed buffer of `capacity` bytes for a call that is told that capacity.
// It never has a null data pointer, even for capacity 0: several calls take a
// null buffer as "only report the size" and would then claim success.
std::vector<char> CallBuffer(std::uint32_t capacity) {
  return std::vector<char>(capacity == 0 ? 1 : capacity, '\0');
}

// The text in a call's buffer up to its first NUL (or its end).
std::string TextIn(const char* buffer, std::size_t capacity) {
  std::size_t length = 0;
  while (length < capacity && buffer[length] != '\0') ++length;
  return std::string(buffer, length);
}

// What a call that fills a buffer reports: `out` is the buffer's text when
// the call succeeded, and empty when it failed.
bool TextIfDone(bool done, const char* buffer, std::size_t capacity, std::string& out) {
  out = done ? TextIn(buffer, capacity) : std::string();
  return done;
}

void CopyFindData(const WIN32_FIND_DATAA& data, FindData& out) {
  out.name = TextIn(data.cFileName, sizeof data.cFileName);
  out.attributes = data.dwFileAttributes;
  out.nameNotAnsi = false;
}

// The text in UTF-16, NUL-terminated (a vector rather than a wide string
// keeps the library's wide-string code out of the program); `codePage` is
// the text's, the ANSI one unless given.
std::vector<WCHAR> WideFromAnsi(const std::string& text, UINT codePage = CP_ACP) {
  int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  std::vector<WCHAR> wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), length);
  return wide;
}

// The NUL-terminated wide text in `codePage`, with best fit where it has no
// exact form; empty when it cannot be converted.
std::string TextFromWide(const WCHAR* wide, UINT codePage) {
  int length = WideCharToMultiByte(codePage, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> text(length > 0 ? static_cast<std::size_t>(length) : 1, '\0');
  if (length > 0) WideCharToMultiByte(codePage, 0, wide, -1, text.data(), length, nullptr, nullptr);
  return text.data();
}

// True when the wide text converts to the ANSI code page and back to the
// same characters; `ansi` is the conversion, exact or not. The way back
// catches "?" and best-fit look-alikes ("L" for "Ł", "a" for a fullwidth
// "a", a backslash for a yen sign) in every code page, with no flag that a
// system or a code page could refuse: WC_NO_BEST_FIT_CHARS is refused
// before Windows 2000, and with the used-default flag by UTF-7, UTF-8 and
// several other code pages, which would make every name look bad.
bool AnsiFromWide(const WCHAR* wide, std::string& ansi) {
  ansi = TextFromWide(wide, CP_ACP);
  const std::vector<WCHAR> back = WideFromAnsi(ansi);
  std::size_t i = 0;
  while (back[i] == wide[i] && wide[i] != L'\0') ++i;
  return back[i] == wide[i];
}

// True when the wide name converts to exactly `ansi` and back.
bool SpeltExactly(const WCHAR* wide, const std::string& ansi) {
  std::string converted;
  return AnsiFromWide(wide, converted) && converted == ansi;
}

// True on 95, 98 and Me, whose file systems know the ANSI names only.
bool IsWindows9x() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// A wide function of an NT-based system, found at run time; null, with 120
// (not implemented), on 95, 98 and Me and where the system lacks it.
template <typename Function>
Function WideFunction(const char* module, const char* name) {
  const auto call = IsWindows9x() ? nullptr : LoadedFunction<Function>(module, name);
  if (!call) SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return call;
}

// A wide call's text as UTF-8 when it succeeded; empty when it failed.
bool Utf8IfDone(bool done, const WCHAR* buffer, std::string& utf8) {
  utf8 = done ? TextFromWide(buffer, CP_UTF8) : std::string();
  return done;
}

// Reads the wide entry that goes with the ANSI one in `out`. None, or one of
// another name, marks the name as not held by the code page (that only makes
// the caller more careful). Without a wide search, a "?" (never part of a
// real name) does.
void CheckWithWideEntry(DualSearch& search, bool first, const std::string& pattern,
                        FindData& out) {
  WIN32_FIND_DATAW data{};
  bool found = false;
  if (first) {
    search.wide = FindFirstFileW(WideFromAnsi(pattern).data(), &data);
    found = search.wide != INVALID_HANDLE_VALUE;
    search.ansiOnly = !found && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
  } else if (search.wide != INVALID_HANDLE_VALUE) {
    found = FindNextFileW(search.wide, &data) != 0;
  }
  if (search.ansiOnly)
    out.nameNotAnsi = out.name.find('?') != std::string::npos;
  else
    out.nameNotAnsi = !found || !SpeltExactly(data.cFileName, out.name);
}

}  // namespace

// GetLongPathNameA where the system has none (Windows 95 and NT 4.0): each
// component after the root replaced by the name that the ANSI search reports
// for it, which is the long one whether it was typed long or short. Fails
// like the call does when a component is missing; a component with
// wildcards names no single entry and is refused.
unsigned long LongPathByComponents(const char* path, char* buffer, unsigned long capacity) {
  const std::string text = path;
  // Where the name that starts at `at` ends, walked by characters: the second
  // byte of a double-byte character may be 0x5C, the backslash.
  auto nameEnd = [&text](std::size_t at) {
    while (at < text.size() && text[at] != '\\')
      at += IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
    return at;
  };
  std::size_t pos = 0;
  if (text.size() >= 2 && text[1] == ':')
    pos = 2;  // "C:"
  else if (text.compare(0, 2, "\\\\") == 0)
    pos = std::min(nameEnd(nameEnd(2) + 1), text.size());  // "\\server\share"
  std::string result = text.substr(0, pos);
  while (pos < text.size()) {
    const std::size_t end = nameEnd(pos);
    const std::string component = text.substr(pos, end - pos);
    if (component.find_first_of("*?") != std::string::npos) {
      SetLastError(ERROR_INVALID_NAME);
      return 0;
    }
    if (!component.empty() && component != "." && component != "..") {
      WIN32_FIND_DATAA data{};
      HANDLE find = FindFirstFileA((result + component).c_str(), &data);
      if (find == INVALID_HANDLE_VALUE) return 0;
      FindClose(find);
      result += TextIn(data.cFileName, sizeof data.cFileName);
    } else {
      result += component;
    }
    if (end < text.size()) result += '\\';
    pos = end + 1;
  }
  if (result.size() >= capacity) return static_cast<DWORD>(result.size() + 1);
  std::copy(result.c_str(), result.c_str() + result.size() + 1, buffer);
  return static_cast<DWORD>(result.size());
}

// SHGetSpecialFolderPathA where the shell has none (Windows 95 and NT 4.0
// without the desktop update): the folder's item list, its path, and the
// list freed by the shell's allocator. Nothing is created.
int SpecialFolderPathFromItemList(char* buffer, int csidlFolder) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidlFolder, &items)) || items == nullptr)
    return FALSE;
  const BOOL ok = SHGetPathFromIDListA(items, buffer);
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
    allocator->Free(items);
    allocator->Release();
  }
  return ok;
}

long Win32Services::OpenKey(RegKey parent, const std::string& path, std::uint32_t access,
                            RegKey& out) {
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExA(ToHkey(parent), path.c_str(), 0, access, &opened);
  out = rc == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return rc;
}

long Win32Services::QueryValue(RegKey key, const std::string& name, std::uint32_t capacity,
                               std::string& data) {
  std::vector<char> buffer = CallBuffer(capacity);
  DWORD size = capacity;
  LONG rc = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer.data()), &size);
  data = rc == ERROR_SUCCESS && size <= capacity ? std::string(buffer.data(), size) : std::string();
  return rc;
}

long Win32Services::EnumKey(RegKey key, std::uint32_t index, std::uint32_t capacity,
                            std::string& name) {
  std::vector<char> buffer = CallBuffer(capacity);
  DWORD size = capacity;
  FILETIME written;
  LONG rc = RegEnumKeyExA(ToHkey(key), index, buffer.data(), &size, nullptr, nullptr,
                          nullptr, &written);
  name = rc == ERROR_SUCCESS ? TextIn(buffer.data(), buffer.size()) : std::string();
  return rc;
}

long Win32Services::DeleteKey(RegKey parent, const std::string& name) {
  return RegDeleteKeyA(ToHkey(parent), name.c_str());
}

long Win32Services::DeleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Services::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

bool Win32Services::SetCurrentDir(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) != 0;
}

FindHandle Win32Services::FindFirst(const std::string& pattern, FindData& out) {
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  // From the process heap, not operator new: the nothrow form of the C++
  // library brings its exception machinery into the program with it.
  auto* search = static_cast<DualSearch*>(HeapAlloc(GetProcessHeap(), 0, sizeof(DualSearch)));
  if (search == nullptr) {
    FindClose(find);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  *search = DualSearch{find, INVALID_HANDLE_VALUE, false};
  CopyFindData(data, out);
  CheckWithWideEntry(*search, true, pattern, out);
  return reinterpret_cast<FindHandle>(search);
}

bool Win32Services::FindNext(FindHandle find, FindData& out) {
  DualSearch* search = ToSearch(find);
  WIN32_FIND_DATAA data{};
  // The ANSI call's error (18 at the end) is what the caller reads next.
  if (search == nullptr || !FindNextFileA(search->ansi, &data)) return false;
  CopyFindData(data, out);
  CheckWithWideEntry(*search, false, std::string(), out);
  return true;
}

bool Win32Services::CloseFind(FindHandle find) {
  DualSearch* search = ToSearch(find);
  if (search == nullptr) return false;
  if (search->wide != INVALID_HANDLE_VALUE) FindClose(search->wide);
  const BOOL closed = FindClose(search->ansi);
  HeapFree(GetProcessHeap(), 0, search);
  return closed != 0;
}

bool Win32Services::MakeDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32Services::CopyOneFile(const std::string& from, const std::string& to,
                                bool failIfExists) {
  return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool Win32Services::RenameFile(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool Win32Services::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32Services::RemoveDir(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != 0;
}

bool Win32Services::ClearFileAttributes(const std::string& path) {
  // The file must open for reading first (a folder or a file held without
  // sharing does not); setting the attributes alone leaves the times as they are.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

long Win32Services::LastError() { return static_cast<long>(GetLastError()); }

bool Win32Services::FullPathName(const std::string& path, std::string& full) {
  char buffer[MAX_PATH] = {};
  DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  // A length of the buffer or more is the size the full path would need.
  return TextIfDone(length != 0 && length < sizeof buffer, buffer, sizeof buffer, full);
}

bool Win32Services::LongPathName(const std::string& path, std::string& longPath) {
  using LongPathCall = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  const auto call = LoadedFunction<LongPathCall>("kernel32.dll", "GetLongPathNameA");
  char buffer[MAX_PATH] = {};
  DWORD length = call ? call(path.c_str(), buffer, sizeof buffer)
                      : LongPathByComponents(path.c_str(), buffer, sizeof buffer);
  return TextIfDone(length != 0 && length < sizeof buffer, buffer, sizeof buffer, longPath);
}

bool Win32Services::IdentityOf(const std::string& path, FileIdentity& out) {
  out = FileIdentity();
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  BOOL ok = GetFileInformationByHandle(file, &info);
  DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);  // the caller sees why the query failed, not the close
  if (!ok) return false;
  out = {info.dwVolumeSerialNumber,
         (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return true;
}

unsigned Win32Services::DriveType(const std::string& rootPath) {
  return GetDriveTypeA(rootPath.c_str());
}

AnsiCodePage Win32Services::CodePage() {
  AnsiCodePage page;
  page.id = GetACP();
  for (unsigned byte = 0x80; byte < 0x100; ++byte)
    if (IsDBCSLeadByteEx(page.id, static_cast<BYTE>(byte))) page.leadBytes.set(byte);
  return page;
}

bool Win32Services::SpecialFolderPath(int csidlFolder, std::string& path) {
  using SpecialFolderCall = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  const auto call = LoadedFunction<SpecialFolderCall>("shell32.dll", "SHGetSpecialFolderPathA");
  char buffer[MAX_PATH] = {};
  const BOOL done = call ? call(nullptr, buffer, csidlFolder, FALSE)
                         : SpecialFolderPathFromItemList(buffer, csidlFolder);
  return TextIfDone(done != FALSE, buffer, sizeof buffer, path);
}

bool Win32Services::EnvironmentVariable(const std::string& name, std::string& value) {
  constexpr DWORD kLargest = 32767;  // the longest value a variable can hold
  std::vector<char> buffer(kLargest + 1, '\0');
  DWORD length = GetEnvironmentVariableA(name.c_str(), buffer.data(), kLargest + 1);
  return TextIfDone(length > 0 && length <= kLargest, buffer.data(), length, value);
}

bool Win32Services::ProfilesDirectory(std::string& path) {
  // Looked up at run time: a static import would keep the program from
  // starting on systems whose userenv.dll lacks the function, or that have none.
  using ProfilesDirectoryCall = BOOL(WINAPI*)(LPSTR, LPDWORD);
  path.clear();
  SystemLibrary userenv("userenv.dll");
  auto call = userenv.Get<ProfilesDirectoryCall>("GetProfilesDirectoryA");
  if (!call) return false;  // the load's or the look-up's error stands
  char buffer[MAX_PATH] = {};
  DWORD size = sizeof buffer;
  return TextIfDone(call(buffer, &size) != FALSE, buffer, sizeof buffer, path);
}

int Win32Services::ShellFileOperation(WindowHandle owner, unsigned operation,
                                      const char* fromList, unsigned flags) {
  SHFILEOPSTRUCTA operationInfo{reinterpret_cast<HWND>(owner), operation, fromList, nullptr,
                                 static_cast<FILEOP_FLAGS>(flags), FALSE, nullptr, nullptr};
  return SHFileOperationA(&operationInfo);
}

bool Win32Services::ComInitialize() {
  HRESULT hr = CoInitialize(nullptr);
  return hr == S_OK || hr == S_FALSE;
}

void Win32Services::ComUninitialize() { CoUninitialize(); }

ItemList Win32Services::BrowseForFolder(WindowHandle owner, const std::string& title,
                                        unsigned flags) {
  BROWSEINFOA request{reinterpret_cast<HWND>(owner), nullptr, nullptr, title.c_str(), flags,
                      nullptr, 0, 0};
  return reinterpret_cast<ItemList>(SHBrowseForFolderA(&request));
}

bool Win32Services::PathFromItemList(ItemList items, std::string& path) {
  char buffer[MAX_PATH] = {};
  const BOOL ok = SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(items), buffer);
  return TextIfDone(ok != FALSE, buffer, sizeof buffer, path);
}

void Win32Services::FreeItemList(ItemList items) {
  CoTaskMemFree(reinterpret_cast<void*>(items));
}

bool Win32Services::GetOsVersion(OsVersion& out) {
  static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  out = OsVersion();
  if (!GetVersionExA(&info)) return false;
  out = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
  return true;
}

bool Win32Services::UserName(std::uint32_t capacity, std::string& name) {
  std::vector<char> buffer = CallBuffer(capacity);
  DWORD size = capacity;
  const BOOL ok = GetUserNameA(buffer.data(), &size);
  return TextIfDone(ok != FALSE, buffer.data(), buffer.size(), name);
}

bool Win32Services::SpecialFolderPathWide(int csidlFolder, std::string& utf8) {
  using SpecialFolderCall = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
  const auto call = WideFunction<SpecialFolderCall>("shell32.dll", "SHGetSpecialFolderPathW");
  WCHAR buffer[MAX_PATH] = {};
  return Utf8IfDone(call && call(nullptr, buffer, csidlFolder, FALSE), buffer, utf8);
}

bool Win32Services::UserNameWide(std::string& utf8) {
  using UserNameCall = BOOL(WINAPI*)(LPWSTR, LPDWORD);
  const auto call = WideFunction<UserNameCall>("advapi32.dll", "GetUserNameW");
  WCHAR buffer[257] = {};  // UNLEN and its NUL
  DWORD size = 257;
  return Utf8IfDone(call && call(buffer, &size), buffer, utf8);
}

AnsiSpelling Win32Services::SpellInAnsi(const std::string& utf8, std::string& ansi) {
  using ShortPathCall = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
  const std::vector<WCHAR> wide = WideFromAnsi(utf8, CP_UTF8);
  if (AnsiFromWide(wide.data(), ansi)) return AnsiSpelling::Exact;
  ansi.clear();
  const auto call = LoadedFunction<ShortPathCall>("kernel32.dll", "GetShortPathNameW");
  // The size with its NUL, then the path; it fails (2, 3) where nothing is there.
  const DWORD size = call ? call(wide.data(), nullptr, 0) : 0;
  if (size == 0) {
    if (!call) SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return AnsiSpelling::None;
  }
  std::vector<WCHAR> shortPath(size + 1, L'\0');
  const DWORD length = call(wide.data(), shortPath.data(), size + 1);
  if (length == 0) return AnsiSpelling::None;
  std::string spelt;
  // A volume without short names gives the long path back.
  if (length > size || !AnsiFromWide(shortPath.data(), spelt)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return AnsiSpelling::None;
  }
  ansi = spelt;
  return AnsiSpelling::Short;
}

void Win32Services::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint32_t Win32Services::TickCount() { return GetTickCount(); }
