// The folders a run works in: the four shell folders and, from major
// version 5 on, the per-user folders derived from them, each spelt so that
// the ANSI calls reach it. On NT-based systems their real (wide) names are
// read too: a name the code page cannot spell would otherwise give a
// best-fit look-alike, a folder that is not there or is someone else's.
#pragma once

#include <string>
#include <vector>

#include "removal/path_guard.h"
#include "removal/shortcut_sweep.h"

struct RunFolders {
  // For the guard: the spellings that reach the folders, the shell's own
  // where none does.
  ShellFolders guarded;
  SweepFolders common;  // the first sweep pass
  SweepFolders user;    // the second; its desktop takes the backup
  // "Folder: " lines for the folders no spelling reaches, nothing being done
  // there: each with the best spelling there is.
  std::vector<std::string> unreachable;
};

// Reads the shell folders and spells each exactly, or by its short (8.3)
// path, or not at all. Where the wide calls are missing (95, 98, Me, NT 4.0
// without the desktop update) or fail, the ANSI spellings stand as read.
RunFolders ReachRunFolders(RunContext& run);
