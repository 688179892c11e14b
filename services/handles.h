// One small owner per kind of handle the services hand out, closing it
// through the services on every path out of scope.
#pragma once

#include "services/services.h"

// Owns a `Handle`, given back through `Release` when dropped; 0 is none.
template <class Handle, auto Release>
class UniqueHandle {
 public:
  explicit UniqueHandle(IWindowsServices& services, Handle handle = 0)
      : m_services(&services), m_handle(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return m_handle; }
  // Gives back the handle held, if any, and holds `handle` instead.
  void Reset(Handle handle = 0) {
    if (m_handle != 0) (m_services->*Release)(m_handle);
    m_handle = handle;
  }

 protected:
  IWindowsServices* m_services;
  Handle m_handle;
};

// The item list the folder browser returns.
using UniqueItemList = UniqueHandle<ItemList, &IWindowsServices::FreeItemList>;

// An open registry key (never a predefined root: only opened keys are held).
class UniqueKey : public UniqueHandle<RegKey, &IWindowsServices::CloseKey> {
 public:
  using UniqueHandle::UniqueHandle;
  // Opens parent\path in place of the key held; on failure nothing changes.
  long Open(RegKey parent, const std::string& path, std::uint32_t access) {
    RegKey opened = 0;
    const long rc = m_services->OpenKey(parent, path, access, opened);
    if (rc == winerr::kSuccess) Reset(opened);
    return rc;
  }
};

// A directory search started by FindFirst.
class UniqueFind : public UniqueHandle<FindHandle, &IWindowsServices::CloseFind> {
 public:
  using UniqueHandle::UniqueHandle;
  // Starts a search, ending the one held; false when nothing can be listed.
  bool First(const std::string& pattern, FindData& out) {
    Reset();
    m_handle = m_services->FindFirst(pattern, out);
    return m_handle != 0;
  }
  bool Next(FindData& out) { return m_handle != 0 && m_services->FindNext(m_handle, out); }
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

// The existence test: FindFirstFileA finds an entry matching the path or
// pattern, the first one given in `found` when asked for. A path ending in a
// backslash (a drive root too) never matches.
inline bool FindFile(IWindowsServices& services, const std::string& pathOrPattern,
                     FindData* found = nullptr) {
  FindData data;
  return UniqueFind(services).First(pathOrPattern, found ? *found : data);
}

// How a walk ended: nothing enumerated; the visitor stopped it; every entry
// handed over (the search ended with 18); broken off, entries missed.
enum class WalkEnd { NotStarted, Stopped, Complete, BrokenOff };

// Hands each entry of `pattern` (folder + "\*") but "." and ".." to `visit`
// until it returns false; the search is closed on every path out.
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
