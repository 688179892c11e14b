// A pass-through IWindowsServices that counts and times every call it
// forwards, so that a benchmark can say where an operation spends its time.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "services/services.h"

class CountingServices : public IWindowsServices {
 public:
  enum Kind {
    kRegistry, kSetCurrentDir, kFindFirst, kFindNext, kCloseFind, kMakeDirectory,
    kCopyOneFile, kRenameFile, kRemoveFile, kRemoveDir, kClearFileAttributes, kLastError, kPathIdentity, kShell,
    kSystem, kKindCount
  };
  struct Tally {
    std::uint64_t calls = 0;
    std::chrono::steady_clock::duration time{};
  };

  explicit CountingServices(IWindowsServices& inner) : m_inner(inner) {}

  // When set, raised by one while a forwarded call runs (for the heap meter).
  void CountCallsIn(int* depth) { m_depth = depth; }

  const Tally& Of(Kind kind) const { return m_tallies[kind]; }
  std::uint64_t TotalCalls() const;
  void Reset() { m_tallies = {}; }
  // One line per kind that was called: name, calls, milliseconds.
  std::string Report() const;

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

 private:
  // Times one forwarded call and adds it to `kind`'s tally. The call's error
  // code is taken at once, before the clock is read again (reading the clock
  // may change the thread's last error on Windows).
  template <typename Call>
  auto Timed(Kind kind, Call call) {
    struct Stop {
      CountingServices& self;
      Tally& tally;
      std::chrono::steady_clock::time_point start;
      ~Stop() {
        if (self.m_depth) --*self.m_depth;
        self.m_lastError = self.m_inner.LastError();
        ++tally.calls;
        tally.time += std::chrono::steady_clock::now() - start;
      }
    } stop{*this, m_tallies[kind], std::chrono::steady_clock::now()};
    if (m_depth) ++*m_depth;
    return call();
  }

  IWindowsServices& m_inner;
  std::array<Tally, kKindCount> m_tallies{};
  long m_lastError = 0;
  int* m_depth = nullptr;
};
