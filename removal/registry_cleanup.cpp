// Step 7: the product key's subkeys and installation value, and the product's
// uninstall entries, each with everything below it.
#include "platform/handles.h"
#include "removal/engine_texts.h"
#include "removal/uninstall_engine.h"

namespace {

constexpr std::uint32_t kProductNameCapacity = 1024;
constexpr std::uint32_t kTreeNameCapacity = 256;

bool IsDeletedOrAbsent(long rc) { return rc == winerr::kSuccess || rc == winerr::kFileNotFound; }

}  // namespace

long UninstallEngine::FirstSubkey(RegKey key, std::uint32_t capacity, std::string& name) {
  name.clear();
  return m_services.EnumKey(key, 0, capacity, name);
}

long UninstallEngine::DeleteRegistryTree(RegKey parent, const std::string& name) {
  // An empty name would open the parent itself and empty it.
  if (name.empty()) return winerr::kInvalidParameter;
  UniqueKey key(m_services);
  long rc = key.Open(parent, name, kKeyReadWrite);
  if (rc != winerr::kSuccess) return rc;
  // Index 0 again and again: a deleted subkey no longer enumerates. A subkey
  // that comes back after its deletion ends the loop; the key's own deletion
  // then fails and says so.
  std::string subkey;
  std::string previous;
  while (FirstSubkey(key.Get(), kTreeNameCapacity, subkey) == winerr::kSuccess &&
         subkey != previous) {
    rc = DeleteRegistryTree(key.Get(), subkey);
    if (!IsDeletedOrAbsent(rc)) return rc;
    previous = subkey;
  }
  key.Reset();
  return m_services.DeleteKey(parent, name);
}

void UninstallEngine::CleanRegistry(UniqueKey& holder) {
  m_ui.SetTitleLine(texts::kStep7);

  long rc = holder.Open(kHkeyLocalMachine, texts::kProductKey, kKeyAllAccess);
  if (rc == winerr::kSuccess) {
    SweepProductSubkeys(holder.Get());
    if (!IsDeletedOrAbsent(m_services.DeleteValue(holder.Get(), texts::kInstallPathValue)))
      m_state.m_failures.push_back(texts::kInstallPathLine);
  } else if (rc != winerr::kFileNotFound) {
    ReportUnreachableProductKey();
  }

  // The holder closes the product key and keeps the uninstall key until the
  // end of the run.
  rc = holder.Open(kHkeyLocalMachine, texts::kUninstallKey, kKeyAllAccess);
  if (rc != winerr::kSuccess) {
    if (rc != winerr::kFileNotFound) ReportUnreachableUninstallEntries();
    return;
  }
  for (const char* entry : texts::kUninstallEntries) {
    if (!IsDeletedOrAbsent(DeleteRegistryTree(holder.Get(), entry)))
      m_state.m_failures.push_back(texts::kUninstallLine + std::string(entry));
  }
}

void UninstallEngine::SweepProductSubkeys(RegKey productKey) {
  // Each subkey alone, not its subkeys; the first refusal ends the sweep.
  std::string name;
  std::string previous;
  for (;;) {
    long rc = FirstSubkey(productKey, kProductNameCapacity, name);
    if (rc == winerr::kNoMoreItems) return;
    if (rc != winerr::kSuccess || name == previous) {
      // The search broke off, or a deleted subkey is still there.
      m_state.m_failures.push_back(texts::kProductSubkeyLine +
                                   (rc == winerr::kSuccess ? name : std::string()));
      return;
    }
    if (!IsDeletedOrAbsent(m_services.DeleteKey(productKey, name))) {
      m_state.m_failures.push_back(texts::kProductSubkeyLine + name);
      return;
    }
    previous = name;
  }
}

// The product key could not be opened for deletion (a user without full
// access, for one): what can still be seen of it is reported, not passed
// over as removed.
void UninstallEngine::ReportUnreachableProductKey() {
  UniqueKey key(m_services);
  long rc = key.Open(kHkeyLocalMachine, texts::kProductKey, kKeyRead);
  if (rc == winerr::kFileNotFound) return;
  if (rc != winerr::kSuccess) {
    // Nothing of the key can be seen: its subkeys and its value may all be there.
    m_state.m_failures.push_back(texts::kProductSubkeyLine);
    m_state.m_failures.push_back(texts::kInstallPathLine);
    return;
  }
  std::string name;
  rc = FirstSubkey(key.Get(), kProductNameCapacity, name);
  if (rc != winerr::kNoMoreItems)
    m_state.m_failures.push_back(texts::kProductSubkeyLine +
                                 (rc == winerr::kSuccess ? name : std::string()));
  std::string value;
  rc = m_services.QueryValue(key.Get(), texts::kInstallPathValue, 1000, value);
  if (rc != winerr::kFileNotFound) m_state.m_failures.push_back(texts::kInstallPathLine);
}

void UninstallEngine::ReportUnreachableUninstallEntries() {
  for (const char* entry : texts::kUninstallEntries) {
    UniqueKey key(m_services);
    long rc = key.Open(kHkeyLocalMachine, std::string(texts::kUninstallKey) + "\\" + entry, kKeyRead);
    if (rc != winerr::kFileNotFound)
      m_state.m_failures.push_back(texts::kUninstallLine + std::string(entry));
  }
}
