#include "bench/counting_services.h"

#include <cstdio>

namespace {

const char* const kKindNames[] = {
    "registry",   "SetCurrentDir", "FindFirst", "FindNext",  "CloseFind",
    "MakeDirectory", "CopyOneFile", "RenameFile", "RemoveFile", "RemoveDir", "ClearFileAttributes",
    "LastError",  "path identity", "shell",     "system",
};
static_assert(sizeof kKindNames / sizeof kKindNames[0] == CountingServices::kKindCount,
              "one name per kind");

}  // namespace

std::uint64_t CountingServices::TotalCalls() const {
  std::uint64_t total = 0;
  for (const Tally& tally : m_tallies) total += tally.calls;
  return total;
}

std::string CountingServices::Report() const {
  std::string report;
  for (int kind = 0; kind < kKindCount; ++kind) {
    const Tally& tally = m_tallies[kind];
    if (tally.calls == 0) continue;
    char line[128];
    std::snprintf(line, sizeof line, "  %-20s %9llu calls %10.1f ms\n", kKindNames[kind],
                  static_cast<unsigned long long>(tally.calls),
                  std::chrono::duration<double, std::milli>(tally.time).count());
    report += line;
  }
  return report;
}

long CountingServices::OpenKey(RegKey parent, const std::string& path, std::uint32_t access,
                               RegKey& out) {
  return Timed(kRegistry, [&] { return m_inner.OpenKey(parent, path, access, out); });
}
long CountingServices::QueryValue(RegKey key, const std::string& name, std::uint32_t capacity,
                                  std::string& data) {
  return Timed(kRegistry, [&] { return m_inner.QueryValue(key, name, capacity, data); });
}
long CountingServices::EnumKey(RegKey key, std::uint32_t index, std::uint32_t capacity,
                               std::string& name) {
  return Timed(kRegistry, [&] { return m_inner.EnumKey(key, index, capacity, name); });
}
long CountingServices::DeleteKey(RegKey parent, const std::string& name) {
  return Timed(kRegistry, [&] { return m_inner.DeleteKey(parent, name); });
}
long CountingServices::DeleteValue(RegKey key, const std::string& name) {
  return Timed(kRegistry, [&] { return m_inner.DeleteValue(key, name); });
}
long CountingServices::CloseKey(RegKey key) {
  return Timed(kRegistry, [&] { return m_inner.CloseKey(key); });
}
bool CountingServices::SetCurrentDir(const std::string& path) {
  return Timed(kSetCurrentDir, [&] { return m_inner.SetCurrentDir(path); });
}
FindHandle CountingServices::FindFirst(const std::string& pattern, FindData& out) {
  return Timed(kFindFirst, [&] { return m_inner.FindFirst(pattern, out); });
}
bool CountingServices::FindNext(FindHandle find, FindData& out) {
  return Timed(kFindNext, [&] { return m_inner.FindNext(find, out); });
}
bool CountingServices::CloseFind(FindHandle find) {
  return Timed(kCloseFind, [&] { return m_inner.CloseFind(find); });
}
bool CountingServices::MakeDirectory(const std::string& path) {
  return Timed(kMakeDirectory, [&] { return m_inner.MakeDirectory(path); });
}
bool CountingServices::CopyOneFile(const std::string& from, const std::string& to,
                                   bool failIfExists) {
  return Timed(kCopyOneFile, [&] { return m_inner.CopyOneFile(from, to, failIfExists); });
}
bool CountingServices::RenameFile(const std::string& from, const std::string& to) {
  return Timed(kRenameFile, [&] { return m_inner.RenameFile(from, to); });
}
bool CountingServices::RemoveFile(const std::string& path) {
  return Timed(kRemoveFile, [&] { return m_inner.RemoveFile(path); });
}
bool CountingServices::RemoveDir(const std::string& path) {
  return Timed(kRemoveDir, [&] { return m_inner.RemoveDir(path); });
}
bool CountingServices::ClearFileAttributes(const std::string& path) {
  return Timed(kClearFileAttributes, [&] { return m_inner.ClearFileAttributes(path); });
}
long CountingServices::LastError() {
  ++m_tallies[kLastError].calls;
  return m_lastError;
}
bool CountingServices::FullPathName(const std::string& path, std::string& full) {
  return Timed(kPathIdentity, [&] { return m_inner.FullPathName(path, full); });
}
bool CountingServices::LongPathName(const std::string& path, std::string& longPath) {
  return Timed(kPathIdentity, [&] { return m_inner.LongPathName(path, longPath); });
}
bool CountingServices::IdentityOf(const std::string& path, FileIdentity& out) {
  return Timed(kPathIdentity, [&] { return m_inner.IdentityOf(path, out); });
}
unsigned CountingServices::DriveType(const std::string& rootPath) {
  return Timed(kPathIdentity, [&] { return m_inner.DriveType(rootPath); });
}
AnsiCodePage CountingServices::CodePage() {
  return Timed(kSystem, [&] { return m_inner.CodePage(); });
}
bool CountingServices::SpecialFolderPath(int csidlFolder, std::string& path) {
  return Timed(kShell, [&] { return m_inner.SpecialFolderPath(csidlFolder, path); });
}
bool CountingServices::EnvironmentVariable(const std::string& name, std::string& value) {
  return Timed(kSystem, [&] { return m_inner.EnvironmentVariable(name, value); });
}
bool CountingServices::ProfilesDirectory(std::string& path) {
  return Timed(kShell, [&] { return m_inner.ProfilesDirectory(path); });
}
int CountingServices::ShellFileOperation(WindowHandle owner, unsigned operation,
                                         const char* fromList, unsigned flags) {
  return Timed(kShell,
               [&] { return m_inner.ShellFileOperation(owner, operation, fromList, flags); });
}
bool CountingServices::ComInitialize() {
  return Timed(kShell, [&] { return m_inner.ComInitialize(); });
}
void CountingServices::ComUninitialize() {
  Timed(kShell, [&] { m_inner.ComUninitialize(); });
}
ItemList CountingServices::BrowseForFolder(WindowHandle owner, const std::string& title,
                                           unsigned flags) {
  return Timed(kShell, [&] { return m_inner.BrowseForFolder(owner, title, flags); });
}
bool CountingServices::PathFromItemList(ItemList items, std::string& path) {
  return Timed(kShell, [&] { return m_inner.PathFromItemList(items, path); });
}
void CountingServices::FreeItemList(ItemList items) {
  Timed(kShell, [&] { m_inner.FreeItemList(items); });
}
bool CountingServices::GetOsVersion(OsVersion& out) {
  return Timed(kSystem, [&] { return m_inner.GetOsVersion(out); });
}
bool CountingServices::UserName(std::uint32_t capacity, std::string& name) {
  return Timed(kSystem, [&] { return m_inner.UserName(capacity, name); });
}
bool CountingServices::SpecialFolderPathWide(int csidlFolder, std::string& utf8) {
  return Timed(kShell, [&] { return m_inner.SpecialFolderPathWide(csidlFolder, utf8); });
}
bool CountingServices::UserNameWide(std::string& utf8) {
  return Timed(kSystem, [&] { return m_inner.UserNameWide(utf8); });
}
AnsiSpelling CountingServices::SpellInAnsi(const std::string& utf8, std::string& ansi) {
  return Timed(kPathIdentity, [&] { return m_inner.SpellInAnsi(utf8, ansi); });
}
void CountingServices::Sleep(std::uint32_t ms) { Timed(kSystem, [&] { m_inner.Sleep(ms); }); }
std::uint32_t CountingServices::TickCount() {
  return Timed(kSystem, [&] { return m_inner.TickCount(); });
}
