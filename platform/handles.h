// One small owner per kind of handle that the services hand out. Each closes
// its handle through the services when it goes out of scope, so every path
// out of an operation releases what the operation acquired.
#pragma once

#include "platform/services.h"

// An open registry key. Predefined roots are never closed.
class UniqueKey {
 public:
  explicit UniqueKey(IWindowsServices& services) : m_services(&services) {}
  ~UniqueKey() { Reset(); }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;

  // Opens parent\path into this holder. On success the key held before is
  // closed and the new one takes its place; on failure nothing changes.
  long Open(RegKey parent, const std::string& path, std::uint32_t access) {
    RegKey opened = 0;
    long rc = m_services->OpenKey(parent, path, access, opened);
    if (rc == winerr::kSuccess) {
      Reset();
      m_key = opened;
    }
    return rc;
  }
  // Closes the held key, if any; returns RegCloseKey's code (0 when empty).
  long Reset() {
    long rc = winerr::kSuccess;
    if (m_key != 0) rc = m_services->CloseKey(m_key);
    m_key = 0;
    return rc;
  }
  RegKey Get() const { return m_key; }

 private:
  IWindowsServices* m_services;
  RegKey m_key = 0;
};

// A directory search started by FindFirst.
class UniqueFind {
 public:
  explicit UniqueFind(IWindowsServices& services) : m_services(&services) {}
  ~UniqueFind() { Reset(); }
  UniqueFind(const UniqueFind&) = delete;
  UniqueFind& operator=(const UniqueFind&) = delete;

  // Starts a search; false when nothing can be enumerated.
  bool First(const std::string& pattern, FindData& out) {
    Reset();
    m_find = m_services->FindFirst(pattern, out);
    return m_find != 0;
  }
  bool Next(FindData& out) { return m_find != 0 && m_services->FindNext(m_find, out); }
  void Reset() {
    if (m_find != 0) m_services->CloseFind(m_find);
    m_find = 0;
  }

 private:
  IWindowsServices* m_services;
  FindHandle m_find = 0;
};

// The item list the folder browser returns.
class UniqueItemList {
 public:
  UniqueItemList(IWindowsServices& services, ItemList items)
      : m_services(&services), m_items(items) {}
  ~UniqueItemList() {
    if (m_items != 0) m_services->FreeItemList(m_items);
  }
  UniqueItemList(const UniqueItemList&) = delete;
  UniqueItemList& operator=(const UniqueItemList&) = delete;
  ItemList Get() const { return m_items; }

 private:
  IWindowsServices* m_services;
  ItemList m_items;
};

// The COM library, initialised for the lifetime of this object.
class ComScope {
 public:
  explicit ComScope(IWindowsServices& services)
      : m_services(&services), m_initialised(services.ComInitialize()) {}
  ~ComScope() {
    if (m_initialised) m_services->ComUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  IWindowsServices* m_services;
  bool m_initialised;
};

// The framework's existence test: true when FindFirstFileA finds any entry
// matching the path or pattern. A path ending in a backslash (a drive root
// included) never matches, on Windows as on the simulated machine.
inline bool FindFile(IWindowsServices& services, const std::string& pathOrPattern) {
  UniqueFind find(services);
  FindData data;
  return find.First(pathOrPattern, data);
}

// How a walk of a folder ended: nothing could be enumerated; the visitor
// asked to stop; every entry was handed over (the search ended with 18); the
// search ended for another reason, so entries were missed.
enum class WalkEnd { NotStarted, Stopped, Complete, BrokenOff };

// Enumerates `pattern` (normally folder + "\*"), skips "." and "..", and
// hands each entry to `visit` until it returns false. The search is closed
// before the walk returns, on every path out.
template <class Visit>
WalkEnd WalkFolder(IWindowsServices& services, const std::string& pattern, Visit visit) {
  UniqueFind find(services);
  FindData entry;
  if (!find.First(pattern, entry)) return WalkEnd::NotStarted;
  do {
    if (entry.name != "." && entry.name != ".." && !visit(entry)) return WalkEnd::Stopped;
  } while (find.Next(entry));
  return services.LastError() == winerr::kNoMoreFiles ? WalkEnd::Complete : WalkEnd::BrokenOff;
}
