// The services on the real (ANSI) Windows calls: each method makes the call
// its interface comment names, or its stand-in there; nothing is retried,
// translated or cached.
#pragma once

#include "services/services.h"

class Win32Services : public IWindowsServices {
 public:
  long OpenKey(RegKey parent, const std::string& path, std::uint32_t access,
               RegKey& out) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t capacity,
                  std::string& data) override;
  long EnumKey(RegKey key, std::uint32_t index, std::uint32_t capacity,
               std::string& name) override;
  long DeleteKey(RegKey parent, const std::string& name) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long CloseKey(RegKey key) override;

  bool SetCurrentDir(const std::string& path) override;
  FindHandle FindFirst(const std::string& pattern, FindData& out) override;
  bool FindNext(FindHandle find, FindData& out) override;
  bool CloseFind(FindHandle find) override;
  bool MakeDirectory(const std::string& path) override;
  bool CopyOneFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveDir(const std::string& path) override;
  bool ClearFileAttributes(const std::string& path) override;
  long LastError() override;

  bool FullPathName(const std::string& path, std::string& full) override;
  bool LongPathName(const std::string& path, std::string& longPath) override;
  bool IdentityOf(const std::string& path, FileIdentity& out) override;
  unsigned DriveType(const std::string& rootPath) override;
  AnsiCodePage CodePage() override;

  bool SpecialFolderPath(int csidlFolder, std::string& path) override;
  bool EnvironmentVariable(const std::string& name, std::string& value) override;
  bool ProfilesDirectory(std::string& path) override;
  int ShellFileOperation(WindowHandle owner, unsigned operation, const char* fromList,
                         unsigned flags) override;
  bool ComInitialize() override;
  void ComUninitialize() override;
  ItemList BrowseForFolder(WindowHandle owner, const std::string& title, unsigned flags) override;
  bool PathFromItemList(ItemList items, std::string& path) override;
  void FreeItemList(ItemList items) override;

  bool GetOsVersion(OsVersion& out) override;
  bool UserName(std::uint32_t capacity, std::string& name) override;

  bool SpecialFolderPathWide(int csidlFolder, std::string& utf8) override;
  bool UserNameWide(std::string& utf8) override;
  AnsiSpelling SpellInAnsi(const std::string& utf8, std::string& ansi) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t TickCount() override;
};

// Stand-ins for calls older systems lack, here for tests against the real ones.
// GetLongPathNameA(path, buffer, capacity), one component at a time.
unsigned long LongPathByComponents(const char* path, char* buffer, unsigned long capacity);
// SHGetSpecialFolderPathA(no owner, buffer of 260 bytes, folder, no creation).
int SpecialFolderPathFromItemList(char* buffer, int csidlFolder);
