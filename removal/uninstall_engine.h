// The removal run, the student-data backup, the shortcut sweep, the registry
// cleanup and the installation-location logic, on the Windows services and
// the main window's user-interface port.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"
#include "removal/run_ui.h"
#include "removal/uninstall_state.h"

class UniqueKey;

// How a press of the remove button ended.
enum class RunOutcome {
  Declined,  // a confirmation was declined: the main window stays open
  Finished,  // the run ended (report shown or run abandoned): close the main window with IDOK
  Busy,      // a run or a browse was already in progress: nothing was done
};

class UninstallEngine {
 public:
  UninstallEngine(IWindowsServices& services, IRunUi& ui, UninstallState& state);

  // Start-up: the installation folder from the registry or the default
  // folder; empty when none is found.
  std::string FindInstallLocation();
  // Start-up: records the version (zeroed first, so a failed query gives 0)
  // and, from major version 5, the logged-on user's name.
  void RecordSystemInfo();
  // The "Browse..." button: folder browser (owned by the main window),
  // confirmation, status line, location box and location, in that order.
  // Does nothing while a run or another browse is in progress.
  void Browse();
  // The remove button. `typedLocation` is the location box's text at the press.
  // A press that arrives while a run or a browse is in progress (from a
  // message loop that either of them runs) gives Busy and does nothing.
  RunOutcome Run(const std::string& typedLocation);
  bool IsBusy() const { return m_busy; }

  // Building blocks, public for their own tests.
  bool ConfirmInstallFolder(const std::string& folder);
  bool ShellDeleteFolder(WindowHandle owner, const std::string& path);
  bool CopyFolderTree(const std::string& source, const std::string& destination);
  bool DeleteFolderTree(std::string& parent, const std::string& name);
  long DeleteRegistryTree(RegKey parent, const std::string& name);

 private:
  // The four shell folders that one run reads.
  struct ShellFolders {
    std::string commonDesktop;
    std::string userDesktop;
    std::string commonStartMenu;
    std::string userStartMenu;
  };

  // Marks the engine busy for its lifetime. Runs and browses run message
  // loops (message boxes, the folder browser) that may deliver another press.
  class BusyScope {
   public:
    explicit BusyScope(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyScope() { m_busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    bool& m_busy;
  };

  RunOutcome RunOnce(const std::string& typedLocation);

  // The run's pieces (removal_run.cpp).
  ShellFolders ReadShellFolders();
  void LoadProtectedFolders(const ShellFolders& folders);
  // The machine's ANSI code page, asked for once.
  const AnsiCodePage& CodePage();
  // The full long path the system makes of `path`; the full path when the
  // long path cannot be made; empty when not even the full path can be made.
  // `expanded` is false when the long path failed for another reason than
  // the path's absence.
  std::string ResolvedPath(const std::string& path, bool& expanded);
  // Records the identities of `folder` and of every folder that holds it.
  void AddProtectedIdentities(const std::string& folder, std::set<std::string>& seen);
  // True when deleting `target` could delete a protected folder, however spelt.
  bool IsGuarded(const std::string& target);
  // True when the shell may recycle `path`: not guarded, and on a fixed drive.
  bool MayRecycle(const std::string& path);
  void DeleteProductFolder(const std::string& folder);
  void ShowFinalReport();
  // An existence test that answers "yes" when it cannot tell.
  bool MayExist(const std::string& path);
  // True for the error codes that say a file or folder is not there.
  static bool IsAbsenceError(long error);

  // Step 1 (student_backup.cpp); false when the run must be abandoned.
  bool BackUpStudentData(const std::string& userDesktop);
  bool CopyTree(const std::string& source, const std::string& destination);
  bool CopyEntry(const std::string& source, const std::string& destination,
                 const FindData& entry);
  bool CopyFileWhole(const std::string& from, const std::string& destination,
                     const std::string& name);
  bool IsExistingFile(const std::string& path);
  bool KeepEarlierEntry(const std::string& destination, const std::string& name, bool folder);
  void RecordMade(const std::string& path, bool folder);
  bool MadeByThisCopy(const std::string& path) const;
  bool IsEmptyFolder(const std::string& folder);
  void UndoCopy(const std::string& userDesktop);
  bool DeleteBackupFile(const std::string& path);
  bool RemoveBackupFolder(const std::string& path);
  void ReportFolderKept(const std::string& path);

  // Steps 5 and 6 (shortcut_sweep.cpp).
  void SweepShortcuts(const std::string& desktop, const std::string& startMenu);
  void DeleteListedShortcuts(const std::string& folder);
  void DeleteProgramFolder(const std::string& startMenu);
  // MayExist for the sweep's paths: a path longer than the ANSI calls take
  // (they fail with 206) is counted as absent.
  bool ShortcutMayExist(const std::string& path);

  // Step 7 (registry_cleanup.cpp). `holder` keeps the step's last key open
  // until the end of the run.
  void CleanRegistry(UniqueKey& holder);
  void SweepProductSubkeys(RegKey productKey);
  void ReportUnreachableProductKey();
  void ReportUnreachableUninstallEntries();
  long FirstSubkey(RegKey key, std::uint32_t capacity, std::string& name);

  IWindowsServices& m_services;
  IRunUi& m_ui;
  UninstallState& m_state;
  // What the current copy made, in the order it made it (paths as it named
  // them, true for a folder), and the same paths in comparable form.
  std::vector<std::pair<std::string, bool>> m_copyMade;
  std::set<std::string> m_copyMadeKeys;
  // The entries that were in the backup before the copy and that a student
  // entry has landed on, in comparable form.
  std::set<std::string> m_copyKeptKeys;
  // The copy's temporary file, at the top of the backup.
  std::string m_copyTemporary;
  // True when the copy's destination held nothing before it: then everything
  // in it is the copy's own, and nothing is recorded.
  bool m_copyIntoNewFolder = false;
  // Folders no deletion may touch, read once per run: as the system names
  // them and as it resolves them, and the identities of those folders and of
  // every folder that holds one.
  std::vector<std::string> m_protectedFolders;
  std::set<FileIdentity> m_protectedIdentities;
  bool m_protectedLoaded = false;
  // True while a run or a browse is in progress.
  bool m_busy = false;
  AnsiCodePage m_codePage;
  bool m_codePageLoaded = false;
};
