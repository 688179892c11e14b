// The services on the real (ANSI) Windows calls: each method makes the call
// its interface comment names, or its stand-in there; nothing is retried,
// translated or cached.
#pragma once

#include "services/services.h"

class Win32Services : public IWindowsServices {
 public:
#define RMLC_SERVICE_CALL RMLC_SERVICE_OVERRIDE
#include "services/service_calls.h"
};

// Stand-ins for calls older systems lack, here for tests against the real ones.
// GetLongPathNameA(path, buffer, capacity), one component at a time.
unsigned long LongPathByComponents(const char* path, char* buffer, unsigned long capacity);
// SHGetSpecialFolderPathA(no owner, buffer of 260 bytes, folder, no creation).
int SpecialFolderPathFromItemList(char* buffer, int csidlFolder);
