#include "tests/ui/machine_checks.h"

#include "tests/support/wine_host.h"

namespace check {
namespace {

bool Chattr(const char* flag, const std::string& unixPath) {
  return !unixPath.empty() && winehost::RunHostTool("chattr", {flag, unixPath});
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

bool EmptyTrash() {
  const std::string trash = win32test::TrashFolder();
  if (trash.empty()) return false;
  bool ok = true;
  for (const char* part : {"\\files", "\\info"}) {
    ok = win32test::DeleteTree(trash + part) && ok;
    ok = CreateDirectoryA((trash + part).c_str(), nullptr) && ok;  // Wine recycles only into both
  }
  return ok;
}

bool FindInTrash(const std::string& windowsPath, win32test::TrashItem& item) {
  const std::string wanted = winehost::UnixName(windowsPath);
  for (const auto& candidate : win32test::TrashItems()) {
    if (!wanted.empty() && candidate.originalPath == wanted) {
      item = candidate;
      return true;
    }
  }
  return false;
}

// The names RegEnumKeyExA or RegEnumValueA list for one key.
template <typename EnumName>
std::vector<std::string> EnumNames(const std::string& path, EnumName enumName) {
  std::vector<std::string> names;
  win32test::KeyHandle key(HKEY_LOCAL_MACHINE, path, KEY_READ);
  char name[256];
  for (DWORD index = 0; key.Get() != nullptr; ++index) {
    DWORD size = sizeof name;
    if (enumName(key.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(size ? name : "(default)");
  }
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
  ok_ = win32test::SetStringValue(key, "Version", version);
  RegCloseKey(key);
}

WineVersion::~WineVersion() {
  win32test::KeyHandle key(HKEY_CURRENT_USER, kWineKey, KEY_ALL_ACCESS);
  if (key.Get() == nullptr) return;
  if (hadValue_)
    win32test::SetStringValue(key.Get(), "Version", previous_);
  else
    RegDeleteValueA(key.Get(), "Version");
}

// Waits up to five seconds for the folder to accept new files, or to refuse them.
bool WaitWritable(const std::string& folder, bool writable) {
  return winehost::WaitFor([&] { return CanWriteInto(folder) == writable; });
}

ImmutableFolder::ImmutableFolder(const std::string& windowsPath)
    : windowsPath_(windowsPath), unixPath_(winehost::UnixName(windowsPath)) {
  ok_ = CanWriteInto(windowsPath_) && Chattr("+i", unixPath_) &&
        WaitWritable(windowsPath_, false);
}

ImmutableFolder::~ImmutableFolder() {
  if (Chattr("-i", unixPath_)) WaitWritable(windowsPath_, true);
}

}  // namespace check
