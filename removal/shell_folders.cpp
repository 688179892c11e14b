#include "removal/shell_folders.h"

#include "shared/path_rules.h"
#include "shared/texts.h"

namespace {

// UTF-8 never uses the backslash's byte inside a character: the path rules
// walk it as a single-byte text.
const AnsiCodePage kUtf8Walk;

struct Reach {
  RunContext& run;
  const AnsiCodePage& codePage;
  RunFolders& out;
  bool wideUser = false;  // the user's name read wide
  std::string userName;   // in UTF-8

  // The spelling that reaches the folder whose real path is `wide`; empty
  // where none does, adding its line with `best`, the ANSI spelling. A
  // derived folder that is not there has nothing to sweep and no line.
  std::string Spell(const std::string& wide, const std::string& best, bool mayBeMissing) {
    std::string ansi;
    if (run.services.SpellInAnsi(wide, ansi) != AnsiSpelling::None) return ansi;
    if (!mayBeMissing || !winerr::IsAbsence(run.services.LastError()))
      out.unreachable.push_back(texts::kFolderLine + best);
    return std::string();
  }

  // One shell folder, read by the ANSI call as `read`, and the per-user
  // folder derived from it with `lastPart`. An empty one is skipped by the
  // sweep, and so is the one derived from it: no path is built on an empty
  // front. A derived folder without a drive is empty too.
  void Folder(int csidlFolder, const std::string& read, const char* lastPart,
              std::string& folder, std::string& derived, std::string& guarded) {
    folder = guarded = read;
    derived = run.system.m_osMajor >= 5 && !read.empty()
                  ? DerivePerUserFolder(read, run.system.m_userName, lastPart, codePage)
                  : std::string();
    std::string wide;
    if (read.empty()) return;
    if (!run.services.SpecialFolderPathWide(csidlFolder, wide)) {
      // Without the wide call the ANSI spelling is all there is; where it
      // fails, the real name cannot be told, and neither can what the ANSI
      // spelling reaches.
      if (run.services.LastError() != winerr::kCallNotImplemented) {
        folder.clear();
        out.unreachable.push_back(texts::kFolderLine + read);
      }
      return;
    }
    folder = Spell(wide, read, false);
    if (!folder.empty()) guarded = folder;
    // The derived folder is named by the user's real name as well.
    if (!derived.empty() && wideUser)
      derived = Spell(DerivePerUserFolder(wide, userName, lastPart, kUtf8Walk), derived, true);
  }
};

}  // namespace

RunFolders ReachRunFolders(RunContext& run) {
  const AnsiCodePage& codePage = run.codePage.Get();  // looked up before the folders are read
  const ShellFolders read = ReadShellFolders(run.services);
  RunFolders out;
  Reach reach{run, codePage, out, false, std::string()};
  reach.wideUser = run.system.m_osMajor >= 5 && run.services.UserNameWide(reach.userName);
  ShellFolders& guarded = out.guarded;
  reach.Folder(csidl::kCommonDesktopDirectory, read.commonDesktop, texts::kDesktopPart,
               out.common.desktop, out.common.derivedDesktop, guarded.commonDesktop);
  reach.Folder(csidl::kDesktopDirectory, read.userDesktop, texts::kDesktopPart, out.user.desktop,
               out.user.derivedDesktop, guarded.userDesktop);
  reach.Folder(csidl::kCommonStartMenu, read.commonStartMenu, texts::kStartMenuPart,
               out.common.startMenu, out.common.derivedStartMenu, guarded.commonStartMenu);
  reach.Folder(csidl::kStartMenu, read.userStartMenu, texts::kStartMenuPart, out.user.startMenu,
               out.user.derivedStartMenu, guarded.userStartMenu);
  return out;
}
