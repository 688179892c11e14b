// An in-memory Windows machine: registry, drives, folders, files, Recycle Bin,
// special folders, version and user name, behaving as the Windows calls do,
// with fault injection and a log of the calls made.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "services/services.h"

class SimMachine : public IWindowsServices {
 public:
  // Every service call, for fault injection and the log (LastError, Sleep
  // and TickCount are neither logged nor failed).
  enum class Call {
#define RMLC_SERVICE_CALL(Result, Name, Params) Name,
#include "services/service_calls.h"
  };
  struct CallRecord {
    Call call;
    std::string subject;  // the path, pattern, key path or value name the call names
    long result;          // error code (registry), 0/1 flag, or the shell's result
  };
  // A fault makes matching calls fail with `error` (for calls with a success
  // flag, the flag is false and LastError() gives `error`). Matching: the
  // call kind (or any, when `call` is empty), a subject that contains
  // `subjectContains` (case-insensitive; empty matches all), and when `nth` is
  // not 0 only the nth such call (1-based).
  struct Fault {
    std::optional<Call> call;
    std::string subjectContains;
    int nth = 0;
    long error = winerr::kAccessDenied;
  };

  SimMachine();  // drive C: only, empty; current folder "C:\"
  // A machine laid out like a fresh 64-bit Windows 7 as Wine presents it:
  // Windows, system, both Program Files and profile folders, both desktops
  // and Start menus, version 6.1, user "tech". No two special folders share
  // a path, so a folder left out of the protection cannot hide behind another.
  static std::unique_ptr<SimMachine> StandardLayout();

  // --- Seeding and inspection: files ---
  void AddDrive(char letter);
  bool AddFolder(const std::string& path);  // creates missing parents
  bool AddFile(const std::string& path, const std::string& bytes = std::string(),
               std::uint32_t attributes = kAttrArchive, std::uint64_t writeTime = 0);
  // Makes the ANSI file calls refuse path texts longer than 260 characters
  // with 206, as Wine does (off by default).
  void LimitPathLength(bool on);
  // Makes an empty folder tell names apart by case, as a folder with
  // per-folder case sensitivity does (Windows 10 and later), or Wine's on a
  // case-sensitive host folder: "Notes.txt" and "NOTES.TXT" can both be in it.
  bool MakeCaseSensitive(const std::string& folder);
  // A folder link (reparse point, reported as 0x410) at `link` that leads to
  // `target` (an absolute path, which need not exist); missing parents of
  // the link are made. Calls through the link reach the target; deleting the
  // link never deletes what it leads to.
  bool AddFolderLink(const std::string& link, const std::string& target);
  // A file in `folder` whose name is given in UTF-8. A name that the ANSI code
  // page (1252 here: ASCII and Latin-1) cannot hold is reported by the search
  // under its best-fit stand-in (fullwidth ASCII as ASCII, anything else as
  // "?"; "Ł" as "L") with FindData::nameNotAnsi set, and only its 8.3 name
  // reaches it. `isFolder`: a folder of that name instead.
  bool AddFileNamedInUtf8(const std::string& folder, const std::string& utf8Name,
                          const std::string& bytes = std::string(), bool isFolder = false);
  // Entries made from now on get no 8.3 name, as on a volume with short
  // names turned off: a name the code page cannot hold has no ANSI spelling.
  void TurnOffShortNames();
  // The inspection calls also take a name the code page cannot hold, in UTF-8.
  bool Exists(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  bool ReadFile(const std::string& path, std::string& bytes) const;
  std::uint32_t GetAttributes(const std::string& path) const;  // 0xFFFFFFFF when missing
  bool SetAttributes(const std::string& path, std::uint32_t attributes);
  std::uint64_t WriteTime(const std::string& path) const;
  bool SetWriteTime(const std::string& path, std::uint64_t time);
  std::string CurrentDir() const;
  // Every path below `folder` (files and folders, as stored, sorted).
  std::vector<std::string> ListTree(const std::string& folder) const;
  // Holding a file open without sharing makes delete and copy fail (32) and
  // keeps it from being opened for reading.
  void HoldOpen(const std::string& path);
  void ReleaseAll();
  // Another program's brief hold, as Windows answers it: as HoldOpen, the file
  // opening and deleting with `error` (32; 33: a locked range) and no folder above
  // it renamed (5; Wine renames it), until the simulated clock has moved on
  // `ms` (0: ReleaseAll). With `shareDelete`, deleting it succeeds but
  // the name stays, opening for nothing (5), until then.
  struct Hold { std::uint32_t ms = 0; bool shareDelete = false; long error = 32; };
  void HoldBriefly(const std::string& path, Hold hold);
  // The path with every name that has an 8.3 name spelt by it, as
  // GetShortPathNameA gives it; empty when the path does not exist. Names
  // that are no valid 8.3 names get one when they are made ("PROGRA~1").
  std::string ShortPathOf(const std::string& path) const;
  // GetDriveTypeA's answer for a drive; drives are fixed unless set. The
  // shell recycles only on fixed drives and deletes for good elsewhere.
  void SetDriveType(char letter, unsigned type);
  // The ANSI code page: 932, 936, 949 and 950 are double-byte, anything
  // else single-byte (the default, 1252). Set it before seeding files: names
  // are stored by their characters in the code page of the time.
  void SetCodePage(std::uint32_t id);

  // Recycle Bin: each item that the shell deleted with the undo flag.
  struct RecycledEntry {
    std::string originalPath;  // the full path it had, files and folders below the item included
    bool isFolder = false;
    std::string bytes;
    bool wholeItem = false;    // the item itself, as named to the shell (not something below it)
  };
  std::vector<RecycledEntry> Recycled() const;
  // Permanently deleted by the shell (without the undo flag).
  std::size_t PermanentlyDeletedCount() const;

  // --- Seeding and inspection: registry ---
  bool AddKey(RegKey root, const std::string& path);  // creates missing parents
  bool SetValue(RegKey root, const std::string& path, const std::string& name,
                const std::string& bytes);  // raw data, stored as given
  bool SetStringValue(RegKey root, const std::string& path, const std::string& name,
                      const std::string& text);  // stored with its terminating NUL
  bool KeyExists(RegKey root, const std::string& path) const;
  bool ValueExists(RegKey root, const std::string& path, const std::string& name) const;
  std::vector<std::string> SubkeyNames(RegKey root, const std::string& path) const;
  // Opening this key with any access beyond KEY_READ fails with 5.
  void DenyFullAccess(RegKey root, const std::string& path);
  std::size_t OpenKeyCount() const;  // keys opened and not yet closed

  // --- Seeding: shell and system ---
  void SetSpecialFolder(int csidlFolder, const std::string& path);  // unset: the call fails
  // The wide call gives the path; the ANSI call its best-fit spelling.
  void SetSpecialFolderInUtf8(int csidlFolder, const std::string& utf8Path);
  void SetProfilesDirectory(const std::string& path);
  // An environment variable of the process (unset ones are not found).
  void SetEnvironmentVariable(const std::string& name, const std::string& value);
  void SetOsVersion(std::uint32_t major, std::uint32_t minor);
  // The answers of an older system: its version (4.10 for Windows 98, 4.0
  // for NT 4.0) and no GetProfilesDirectoryA. On 98 the wide search is not
  // implemented (120), so a name the code page cannot hold is told only by a
  // "?" in its ANSI stand-in; and no folder opens for its identity (the
  // sharing flag FILE_SHARE_DELETE is refused: IdentityOf fails with 87).
  // NT 4.0 refuses the conversion flag WC_NO_BEST_FIT_CHARS, which the
  // Win32 adapter does without: its names and identities are as later.
  enum class OlderSystem { Windows98, NT4 };
  void ActAsOlderSystem(OlderSystem system);
  void SetUserName(const std::string& name);
  // What the folder browser returns next: a path, or nothing (cancelled).
  // `hasPath` false gives an item with no file-system path.
  void SetBrowseResult(std::optional<std::string> path, bool hasPath = true);
  WindowHandle LastBrowseOwner() const;  // 0 until the browser is shown
  int ComDepth() const;        // CoInitialize calls not yet balanced
  int LiveItemLists() const;   // browser results not yet freed
  int LiveFinds() const;       // searches not yet closed

  // --- Fault injection and the call log ---
  void InjectFault(const Fault& fault);
  void FailCallNumber(std::size_t k, long error = winerr::kAccessDenied);  // the kth call overall, 1-based
  void ClearFaults();
  // The process is ended at the kth call overall (1-based), as a killed
  // process ends: that call takes effect, except that a copy is cut short
  // (its target holds the first half of the bytes), and every later call
  // fails (5) and changes nothing.
  void InterruptAtCallNumber(std::size_t k);
  // A new process after an interruption: the calls take effect again, the
  // searches and keys of the ended one are gone, and the current folder is
  // "C:\" again.
  void StartNewProcess();
  const std::vector<CallRecord>& Calls() const;
  std::size_t CallCount() const;

  // --- IWindowsServices ---
  // The wide special-folder call is not on 98 (120), nor the shell's on NT
  // 4.0. The simulated clock only moves by Sleep; neither is logged.
#define RMLC_SERVICE_CALL RMLC_SERVICE_OVERRIDE
#include "services/service_calls.h"

  ~SimMachine() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// Windows wildcard matching of one name against a FindFirstFile pattern
// ('*', '?', "*.*" matching names without a dot), case-insensitive.
bool WildcardMatch(const std::string& pattern, const std::string& name);
