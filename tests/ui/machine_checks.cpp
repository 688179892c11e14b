#include "tests/ui/machine_checks.h"

#include "tests/ui/seed_installation.h"

namespace check {
namespace {

using DosName = WCHAR*(CDECL*)(const char*);
using UnixName = char*(CDECL*)(const WCHAR*);

// Wine's own exports of kernel32; missing on Windows.
void* WineExport(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
}

std::wstring Widen(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(size > 0 ? size : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string Narrow(const WCHAR* text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

// Undoes the %XX escapes of a trash info file's Path= line.
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ReadSmallFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  char buffer[8192];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

// Starts a Unix program (Wine starts ELF binaries given as \\?\unix paths).
// Wine gives no process handle to wait on for such a program, so callers
// watch for its effect instead.
bool StartUnix(const std::string& command) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string line = command;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return false;
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  return true;
}

bool Chattr(const char* flag, const std::string& unixPath) {
  return !unixPath.empty() &&
         StartUnix("\\\\?\\unix\\usr\\bin\\chattr " + std::string(flag) + " \"" + unixPath + "\"");
}

// Whether a new file can be made in the folder (an immutable one refuses).
bool CanWriteInto(const std::string& folder) {
  const std::string probe = folder + "\\~probe.tmp";
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return true;
}

const char kWineKey[] = "Software\\Wine";

}  // namespace

std::string UnixPath(const std::string& windowsPath) {
  auto convert = reinterpret_cast<UnixName>(WineExport("wine_get_unix_file_name"));
  if (!convert) return std::string();
  char* unix = convert(Widen(windowsPath).c_str());
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

std::string WindowsPath(const std::string& unixPath) {
  auto convert = reinterpret_cast<DosName>(WineExport("wine_get_dos_file_name"));
  if (!convert || unixPath.empty() || unixPath[0] != '/') return unixPath;
  WCHAR* dos = convert(unixPath.c_str());
  if (!dos) return unixPath;
  std::string result = Narrow(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return result;
}

std::string TrashFolder() {
  if (seed::PathExists("T:\\files") && seed::PathExists("T:\\info")) return "T:";
  char data[MAX_PATH] = "";
  if (!GetEnvironmentVariableA("XDG_DATA_HOME", data, sizeof data)) return std::string();
  std::string folder = WindowsPath(std::string(data) + "/Trash");
  return seed::PathExists(folder + "\\info") ? folder : std::string();
}

std::vector<TrashItem> TrashItems() {
  std::vector<TrashItem> items;
  const std::string trash = TrashFolder();
  if (trash.empty()) return items;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((trash + "\\info\\*.trashinfo").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return items;
  const std::string suffix = ".trashinfo";
  do {
    std::string info = ReadSmallFile(trash + "\\info\\" + entry.cFileName);
    size_t at = info.find("\nPath=");
    if (at == std::string::npos) continue;
    size_t end = info.find('\n', at + 1);
    std::string name = entry.cFileName;
    items.push_back({name.substr(0, name.size() - suffix.size()),
                     Unescape(info.substr(at + 6, end == std::string::npos ? end : end - at - 6))});
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return items;
}

bool EmptyTrash() {
  const std::string trash = TrashFolder();
  if (trash.empty()) return false;
  bool ok = true;
  for (const char* part : {"\\files", "\\info"}) {
    ok = seed::DeleteTree(trash + part) && ok;
    ok = CreateDirectoryA((trash + part).c_str(), nullptr) && ok;  // Wine recycles only into both
  }
  return ok;
}

bool FindInTrash(const std::string& windowsPath, TrashItem& item) {
  const std::string wanted = UnixPath(windowsPath);
  for (const auto& candidate : TrashItems()) {
    if (!wanted.empty() && candidate.originalPath == wanted) {
      item = candidate;
      return true;
    }
  }
  return false;
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool ValueExists(const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

// The names RegEnumKeyExA or RegEnumValueA list for one key.
template <typename EnumName>
std::vector<std::string> EnumNames(const std::string& path, EnumName enumName) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name;
    if (enumName(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(size ? name : "(default)");
  }
  RegCloseKey(key);
  return names;
}

std::vector<std::string> Subkeys(const std::string& path) { return EnumNames(path, RegEnumKeyExA); }

std::vector<std::string> ValueNames(const std::string& path) {
  return EnumNames(path, RegEnumValueA);
}

WineVersion::WineVersion(const std::string& version) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kWineKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  char old[64] = "";
  DWORD size = sizeof old;
  DWORD type = 0;
  hadValue_ = RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(old),
                               &size) == ERROR_SUCCESS && type == REG_SZ;
  if (hadValue_) previous_.assign(old, size > 0 ? size - 1 : 0);
  ok_ = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
}

WineVersion::~WineVersion() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kWineKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  if (hadValue_)
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                   static_cast<DWORD>(previous_.size() + 1));
  else
    RegDeleteValueA(key, "Version");
  RegCloseKey(key);
}

// Waits up to five seconds for the folder to accept new files, or to refuse them.
bool WaitWritable(const std::string& folder, bool writable) {
  for (int i = 0; i < 100; ++i) {
    if (CanWriteInto(folder) == writable) return true;
    Sleep(50);
  }
  return false;
}

ImmutableFolder::ImmutableFolder(const std::string& windowsPath)
    : windowsPath_(windowsPath), unixPath_(UnixPath(windowsPath)) {
  ok_ = CanWriteInto(windowsPath_) && Chattr("+i", unixPath_) &&
        WaitWritable(windowsPath_, false);
}

ImmutableFolder::~ImmutableFolder() {
  if (Chattr("-i", unixPath_)) WaitWritable(windowsPath_, true);
}

}  // namespace check
