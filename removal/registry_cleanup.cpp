#include "removal/registry_cleanup.h"

#include "shared/texts.h"

namespace {

constexpr std::uint32_t kProductNameCapacity = 1024;
constexpr std::uint32_t kTreeNameCapacity = 256;

bool IsDeletedOrAbsent(long rc) { return rc == winerr::kSuccess || rc == winerr::kFileNotFound; }

long FirstSubkey(IWindowsServices& services, RegKey key, std::uint32_t capacity,
                 std::string& name) {
  name.clear();
  return services.EnumKey(key, 0, capacity, name);
}

void SweepProductSubkeys(IWindowsServices& services, RegKey productKey,
                         std::vector<std::string>& lines) {
  // Each subkey alone, not its subkeys; the first refusal ends the sweep.
  std::string name;
  std::string previous;
  for (;;) {
    long rc = FirstSubkey(services, productKey, kProductNameCapacity, name);
    if (rc == winerr::kNoMoreItems) return;
    if (rc != winerr::kSuccess || name == previous) {
      // The search broke off, or a deleted subkey is still there.
      lines.push_back(texts::kProductSubkeyLine + (rc == winerr::kSuccess ? name : std::string()));
      return;
    }
    if (!IsDeletedOrAbsent(services.DeleteKey(productKey, name))) {
      lines.push_back(texts::kProductSubkeyLine + name);
      return;
    }
    previous = name;
  }
}

// The product key could not be opened for deletion (a user without full
// access, for one): what can still be seen of it is reported, not passed
// over as removed.
void ReportUnreachableProductKey(IWindowsServices& services, std::vector<std::string>& lines) {
  UniqueKey key(services);
  long rc = key.Open(kHkeyLocalMachine, texts::kProductKey, kKeyRead);
  if (rc == winerr::kFileNotFound) return;
  if (rc != winerr::kSuccess) {
    // Nothing of the key can be seen: its subkeys and its value may all be there.
    lines.push_back(texts::kProductSubkeyLine);
    lines.push_back(texts::kInstallPathLine);
    return;
  }
  std::string name;
  rc = FirstSubkey(services, key.Get(), kProductNameCapacity, name);
  if (rc != winerr::kNoMoreItems)
    lines.push_back(texts::kProductSubkeyLine + (rc == winerr::kSuccess ? name : std::string()));
  std::string value;
  rc = services.QueryValue(key.Get(), texts::kInstallPathValue, 1000, value);
  if (rc != winerr::kFileNotFound) lines.push_back(texts::kInstallPathLine);
}

void ReportUnreachableUninstallEntries(IWindowsServices& services,
                                       std::vector<std::string>& lines) {
  for (const char* entry : texts::kUninstallEntries) {
    UniqueKey key(services);
    const std::string path = std::string(texts::kUninstallKey) + "\\" + entry;
    if (key.Open(kHkeyLocalMachine, path, kKeyRead) != winerr::kFileNotFound)
      lines.push_back(texts::kUninstallLine + std::string(entry));
  }
}

}  // namespace

long DeleteRegistryTree(IWindowsServices& services, RegKey parent, const std::string& name) {
  // An empty name would open the parent itself and empty it.
  if (name.empty()) return winerr::kInvalidParameter;
  UniqueKey key(services);
  long rc = key.Open(parent, name, kKeyReadWrite);
  if (rc != winerr::kSuccess) return rc;
  // Index 0 again and again: a deleted subkey no longer enumerates. A subkey
  // that comes back after its deletion ends the loop; the key's own deletion
  // then fails and says so.
  std::string subkey;
  std::string previous;
  while (FirstSubkey(services, key.Get(), kTreeNameCapacity, subkey) == winerr::kSuccess &&
         subkey != previous) {
    rc = DeleteRegistryTree(services, key.Get(), subkey);
    if (!IsDeletedOrAbsent(rc)) return rc;
    previous = subkey;
  }
  key.Reset();
  return services.DeleteKey(parent, name);
}

void RegistryCleanup::Clean() {
  IWindowsServices& services = m_run.services;
  std::vector<std::string>& lines = m_run.failures;
  long rc = m_holder.Open(kHkeyLocalMachine, texts::kProductKey, kKeyAllAccess);
  if (rc == winerr::kSuccess) {
    SweepProductSubkeys(services, m_holder.Get(), lines);
    if (!IsDeletedOrAbsent(services.DeleteValue(m_holder.Get(), texts::kInstallPathValue)))
      lines.push_back(texts::kInstallPathLine);
  } else if (rc != winerr::kFileNotFound) {
    ReportUnreachableProductKey(services, lines);
  }

  // When the uninstall key opens, the holder closes the product key and keeps
  // the uninstall key until Release; else it keeps what it held.
  rc = m_holder.Open(kHkeyLocalMachine, texts::kUninstallKey, kKeyAllAccess);
  if (rc != winerr::kSuccess) {
    if (rc != winerr::kFileNotFound) ReportUnreachableUninstallEntries(services, lines);
    return;
  }
  for (const char* entry : texts::kUninstallEntries) {
    if (!IsDeletedOrAbsent(DeleteRegistryTree(services, m_holder.Get(), entry)))
      lines.push_back(texts::kUninstallLine + std::string(entry));
  }
}
