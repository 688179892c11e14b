// One small owner per kind of handle that the services hand out. Each closes
// its handle through the services when it goes out of scope, so every path
// out of an operation releases what the operation acquired.
#pragma once

#include "platform/services.h"

// Owns a handle of kind `Handle` and gives it back through `Release` when it
// goes out of scope or is replaced; 0 holds nothing.
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
  // Opens parent\path into this holder. On success the key held before is
  // closed and the new one takes its place; on failure nothing changes.
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
  // Starts a search, ending the one held before; false when nothing can be
  // enumerated.
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
