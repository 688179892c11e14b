// The simulated Windows machine. Where Windows and Wine differ, it does what
// Wine does (the tests run on Wine), and the comment says so.
#include "tests/support/sim_machine.h"

#include "tests/support/ascii_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint32_t kKeySetValue = 0x2;  // KEY_SET_VALUE
// The longest path text the ANSI file calls take: Wine converts it into a
// buffer of MAX_PATH + 1 wide characters and fails longer ones with 206.
// (Windows stops one character earlier.) Copy targets are exempt: Wine's
// CopyFileA converts its target into a buffer of its own.
constexpr std::size_t kAnsiPathLimit = 260;
// Links followed within one lookup before it gives up (a link loop).
constexpr int kMaxLinkHops = 32;

using ascii::Lower;
using ascii::Upper;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool AnsiFormOf(const std::string& utf8, std::string& ansi);

bool ContainsNoCase(const std::string& text, const std::string& part) {
  return Lower(text).find(Lower(part)) != std::string::npos;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool HasWildcards(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool ValidFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("<>:\"|?*") == std::string::npos;
}

// An absolute location on the simulated disks.
struct SimPath {
  char drive = 'C';
  std::vector<std::string> parts;  // components below the drive root
};

struct FsNode {
  std::string name;  // as stored; the real name in UTF-8 when ansiName is set
  // For a name the ANSI code page cannot hold: the best-fit stand-in that the
  // ANSI search reports. No ANSI path reaches such an entry by its name.
  std::string ansiName;
  // A link (a folder with the reparse-point attribute): where it leads.
  std::optional<SimPath> link;
  std::string shortName;    // the 8.3 name; empty when the name is one itself
  std::uint64_t index = 0;  // the file index, unique on the machine
  bool folder = false;
  bool caseSensitive = false;  // a folder whose names are told apart by case
  std::string bytes;
  std::uint32_t attributes = 0;
  std::uint64_t writeTime = 0;
  std::map<std::string, std::unique_ptr<FsNode>> children;  // keyed by lower-case name
  std::map<std::string, FsNode*> byShortName;  // the children that have one, by its key
  // The last "~N" given for each front and extension, so that naming the
  // next of many similar names does not try every number before it.
  std::map<std::string, int> lastShortNumber;
};

struct RegNode {
  std::string fullPath;  // "HKEY_LOCAL_MACHINE\Software\..." as stored
  std::string name;
  std::map<std::string, std::shared_ptr<RegNode>> subkeys;  // keyed by lower-case name
  std::map<std::string, std::pair<std::string, std::string>> values;  // lower → (name, bytes)
  bool denyFull = false;
  bool deleted = false;
  bool isRoot = false;
};

struct OpenSearch {
  std::string pattern;
  std::vector<FindData> entries;
  std::size_t next = 0;
};

struct BrowseItem {
  std::string path;
  bool hasPath = true;
};

struct FaultState {
  SimMachine::Fault fault;
  int seen = 0;
};

struct HoldState {
  SimPath path;
  SimMachine::Hold hold;  // its ms: when it ends on the clock (0: at ReleaseAll)
  bool pending = false;   // deleted while held: the name stays until the hold ends
};

}  // namespace

struct SimMachine::Impl {
  // Files.
  std::map<char, std::unique_ptr<FsNode>> drives;
  SimPath currentDir;
  std::map<std::string, HoldState> held;  // files held open, by key (see PathKey)
  std::uint32_t clock = 0;                // simulated milliseconds
  std::vector<RecycledEntry> recycled;
  std::size_t permanentlyDeleted = 0;
  std::map<FindHandle, OpenSearch> searches;
  FindHandle nextFind = 0x100;
  long lastError = 0;
  std::map<char, unsigned> driveTypes;  // drives not listed are fixed
  AnsiCodePage codePage;
  std::uint64_t nextIndex = 0x1000;

  // Registry.
  std::shared_ptr<RegNode> hkcu;
  std::shared_ptr<RegNode> hklm;
  struct OpenedKey {
    std::shared_ptr<RegNode> node;
    std::uint32_t access = 0;
  };
  std::map<RegKey, OpenedKey> keys;
  RegKey nextKey = 0x1000;

  // Shell and system.
  std::map<int, std::string> specialFolders;  // in UTF-8
  std::optional<std::string> profilesDir;
  std::map<std::string, std::string> environment;  // keyed by upper-case name
  OsVersion version{6, 1, 7601, 2};
  bool windows9x = false;  // no wide search, no folder identities
  bool wideShell = true;   // SHGetSpecialFolderPathW (not on 98, nor on NT 4.0)
  bool shortNames = true;  // new entries get an 8.3 name
  std::string userName;
  std::optional<std::string> browsePath;
  bool browseHasPath = true;
  WindowHandle browseOwner = 0;  // the owner the browser was last shown with
  std::map<ItemList, BrowseItem> itemLists;
  ItemList nextItemList = 0x5000;
  int comDepth = 0;

  // Faults and the log.
  std::vector<FaultState> faults;
  std::map<std::size_t, long> failNumbers;
  std::size_t interruptAt = 0;  // 0: the process is not ended
  std::vector<CallRecord> calls;

  // ---- Calls: fault check and log ----

  // Records the call and tells whether a fault makes it fail, with which error.
  std::optional<long> Begin(Call call, const std::string& subject) {
    calls.push_back({call, subject, 0});
    if (interruptAt != 0 && calls.size() > interruptAt) return winerr::kAccessDenied;
    std::optional<long> error;
    auto number = failNumbers.find(calls.size());
    if (number != failNumbers.end()) error = number->second;
    for (FaultState& state : faults) {
      const Fault& f = state.fault;
      if (f.call && *f.call != call) continue;
      if (!f.subjectContains.empty() && !ContainsNoCase(subject, f.subjectContains)) continue;
      ++state.seen;
      if (!error && (f.nth == 0 || state.seen == f.nth)) error = f.error;
    }
    return error;
  }
  // The call that the end of the process cuts short.
  bool CutShort() const { return interruptAt != 0 && calls.size() == interruptAt; }
  long End(long result) {
    calls.back().result = result;
    return result;
  }
  bool Fail(long error) {
    lastError = error;
    End(0);
    return false;
  }
  bool Succeed() {
    End(1);
    return true;
  }

  // SHGetSpecialFolderPathA or (`wide`) W: the folder in the code page with
  // best fit, or in UTF-8. Without the creation flag the call fails when the
  // folder is missing; the wide one is missing on 98 and NT 4.0.
  bool SpecialFolder(int csidlFolder, std::string& path, bool wide) {
    path.clear();
    char subject[16];
    std::snprintf(subject, sizeof subject, "0x%02X", static_cast<unsigned>(csidlFolder));
    if (auto fault = Begin(wide ? Call::SpecialFolderPathWide : Call::SpecialFolderPath, subject))
      return Fail(*fault);
    if (wide && !wideShell) return Fail(winerr::kCallNotImplemented);
    auto it = specialFolders.find(csidlFolder);
    SimPath p;
    FsNode* node = it != specialFolders.end() && Resolve(it->second, p) ? WideLookup(p) : nullptr;
    if (!node || !node->folder) return Fail(winerr::kFileNotFound);
    if (wide) path = it->second;
    else AnsiFormOf(it->second, path);
    return Succeed();
  }

  // ---- Paths ----

  bool limitPaths = false;
  // A path text that the ANSI file calls refuse (206), when the limit is on.
  bool TooLong(const std::string& path) const {
    return limitPaths && path.size() > kAnsiPathLimit;
  }

  // Resolves a path the way Windows makes a full path of it: relative to the
  // current folder, "\x" from the current drive's root, "X:\x" absolute;
  // doubled separators collapse, "." and ".." are applied, and dots and
  // spaces at the end of the last name go ("a.txt." is "a.txt").
  bool Resolve(const std::string& typed, SimPath& out) const {
    if (typed.empty()) return false;
    // "\\.\C:\x" and "\\?\C:\x" reach the same file as "C:\x".
    std::string path = typed.substr(DevicePrefixLength(typed));
    std::string rest = path;
    out = currentDir;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
      char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
      rest = path.substr(2);
      if (drive != currentDir.drive || (!rest.empty() && IsSeparator(rest[0]))) {
        out.drive = drive;
        out.parts.clear();
      }
    } else if (IsSeparator(path[0])) {
      if (path.size() > 1 && IsSeparator(path[1])) return false;  // no network paths here
      out.parts.clear();
    }
    std::string part;
    for (std::size_t i = 0; i <= rest.size();) {
      if (i < rest.size() && !IsSeparator(rest[i])) {
        std::size_t length = codePage.CharLength(rest, i);
        part += rest.substr(i, length);
        i += length;
        continue;
      }
      ++i;
      if (part == "..") {
        if (!out.parts.empty()) out.parts.pop_back();
      } else if (!part.empty() && part != ".") {
        out.parts.push_back(part);
      }
      part.clear();
    }
    if (!out.parts.empty() && !EndsWithSeparator(rest)) {
      std::string& last = out.parts.back();
      std::size_t keep = last.find_last_not_of(". ");
      if (keep == std::string::npos) out.parts.pop_back();
      else last.erase(keep + 1);
    }
    return true;
  }

  // Length of a "\\.\" or "\\?\" in front of a drive letter, else 0.
  static std::size_t DevicePrefixLength(const std::string& path) {
    bool device = path.size() >= 6 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                  (path[2] == '.' || path[2] == '?') && IsSeparator(path[3]) &&
                  std::isalpha(static_cast<unsigned char>(path[4])) && path[5] == ':';
    return device ? 4 : 0;
  }

  // True when the last character (not byte) is a separator.
  bool EndsWithSeparator(const std::string& text) const {
    std::size_t last = text.size();
    for (std::size_t pos = 0; pos < text.size(); pos += codePage.CharLength(text, pos)) last = pos;
    return last < text.size() && IsSeparator(text[last]);
  }

  // The key a name is stored under: ASCII letters in lower case, the bytes of
  // double-byte characters as they are.
  std::string Key(const std::string& name) const {
    std::string key = name;
    for (std::size_t i = 0; i < key.size(); i += codePage.CharLength(key, i))
      if (key[i] >= 'A' && key[i] <= 'Z') key[i] = static_cast<char>(key[i] - 'A' + 'a');
    return key;
  }

  // The key a folder keeps an entry's name under: as it is in a folder that
  // tells case apart.
  std::string ChildKey(const FsNode& folder, const std::string& name) const {
    return folder.caseSensitive ? name : Key(name);
  }

  // The entry of a folder with this long or short name, or null.
  FsNode* Child(const FsNode& folder, const std::string& name) const {
    std::string key = ChildKey(folder, name);
    // No ANSI name reaches an entry whose name the code page cannot hold,
    // but its 8.3 name does.
    auto it = folder.children.find(key);
    if (it != folder.children.end())
      return it->second->ansiName.empty() ? it->second.get() : nullptr;
    auto byShort = folder.byShortName.find(Key(name));
    if (byShort != folder.byShortName.end()) return byShort->second;
    return nullptr;
  }

  // Takes an entry out of its folder, with its short name.
  void Detach(FsNode& folder, const FsNode& child) const {
    if (!child.shortName.empty()) folder.byShortName.erase(Key(child.shortName));
    folder.children.erase(ChildKey(folder, child.name));
  }

  // The 8.3 name Windows makes for a new entry ("Program Files" gets
  // "PROGRA~1"); empty when the name is a valid 8.3 name already.
  std::string ShortNameFor(FsNode& folder, const std::string& name) const {
    std::size_t dot = name.rfind('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    auto plain = [](const std::string& text) {
      for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || std::strchr(" .+,;=[]", c)) return false;
      return true;
    };
    if (!base.empty() && base.size() <= 8 && ext.size() <= 3 && plain(base) && plain(ext))
      return std::string();
    // Each character that has no place in an 8.3 name becomes one '_'.
    auto squeeze = [this](const std::string& text, std::size_t keep) {
      std::string out;
      for (std::size_t i = 0; i < text.size() && out.size() < keep;) {
        std::size_t length = codePage.CharLength(text, i);
        char c = text[i];
        if (c != ' ' && c != '.')
          out += static_cast<unsigned char>(c) >= 0x80 || std::strchr("+,;=[]", c)
                     ? '_'
                     : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        i += length;
      }
      return out;
    };
    std::string front = squeeze(base, 6);
    std::string tail = ext.empty() ? std::string() : "." + squeeze(ext, 3);
    // Windows tries ~1 to ~4 first, then goes on past the ones in use.
    int& last = folder.lastShortNumber[Key(front + tail)];
    for (int n = 1;; n = n < 4 ? n + 1 : std::max(n + 1, last + 1)) {
      std::string candidate = front + "~" + std::to_string(n) + tail;
      if (!Child(folder, candidate)) {
        last = std::max(last, n);
        return candidate;
      }
    }
  }

  // A case-insensitive identity for a location, for held files and the
  // current folder: the same whichever names (long or short) spell it.
  std::string PathKey(const SimPath& p) const { return Key(StoredPath(p)); }

  // The entry a path names, by long or short names. Links on the way are
  // followed, and so is the last one when `followLast` (what a call that
  // uses the folder sees); a call on the link itself does not follow it.
  FsNode* Lookup(const SimPath& p, bool followLast = true, int hops = 0) const {
    if (hops > kMaxLinkHops) return nullptr;
    auto drive = drives.find(p.drive);
    if (drive == drives.end()) return nullptr;
    FsNode* node = drive->second.get();
    for (std::size_t i = 0; i < p.parts.size(); ++i) {
      if (!node->folder) return nullptr;
      node = Child(*node, p.parts[i]);
      if (!node) return nullptr;
      if (node->link && (followLast || i + 1 < p.parts.size())) {
        node = Lookup(*node->link, true, hops + 1);
        if (!node) return nullptr;
      }
    }
    return node;
  }

  // The entry a UTF-8 path names, as the wide calls see it: each name as
  // the ANSI calls look it up, else by its real name. `shortPath`, when given, gets the path spelt by the 8.3 names.
  FsNode* WideLookup(const SimPath& p, std::string* shortPath = nullptr) const {
    auto drive = drives.find(p.drive);
    FsNode* node = drive == drives.end() ? nullptr : drive->second.get();
    if (shortPath) *shortPath = std::string(1, p.drive) + ":" + (p.parts.empty() ? "\\" : "");
    for (std::size_t i = 0; node && i < p.parts.size(); ++i) {
      std::string ansi;
      auto it = node->children.find(ChildKey(*node, p.parts[i]));
      FsNode* child = node->folder ? Child(*node, p.parts[i]) : nullptr;
      node = child || !node->folder            ? child
             : AnsiFormOf(p.parts[i], ansi)    ? Child(*node, ansi)
             : it != node->children.end()      ? it->second.get()
                                               : nullptr;
      if (node && shortPath) *shortPath += "\\" + (node->shortName.empty() ? node->name : node->shortName);
      if (node && node->link) node = Lookup(*node->link);
    }
    return node;
  }

  // The folder that would hold `p`, or null (the caller reports error 3).
  FsNode* ParentOf(const SimPath& p) const {
    if (p.parts.empty()) return nullptr;
    SimPath parent = p;
    parent.parts.pop_back();
    FsNode* node = Lookup(parent);
    return node && node->folder ? node : nullptr;
  }

  // The path with the names as stored ("C:\users\tech").
  std::string StoredPath(const SimPath& p) const {
    std::string out(1, p.drive);
    out += ':';
    auto drive = drives.find(p.drive);
    const FsNode* node = drive == drives.end() ? nullptr : drive->second.get();
    for (const std::string& part : p.parts) {
      const FsNode* child = node ? Child(*node, part) : nullptr;
      out += "\\" + (child ? child->name : part);
      node = child;
    }
    if (p.parts.empty()) out += "\\";
    return out;
  }

  // Resolves a path that must name an existing entry; sets the Windows
  // error (2 for a missing entry, 3 for a missing folder on the way).
  FsNode* Existing(const std::string& path, SimPath& p, long& error) const {
    if (!Resolve(path, p)) {
      error = winerr::kPathNotFound;
      return nullptr;
    }
    FsNode* node = Lookup(p);
    if (!node) error = ParentOf(p) ? winerr::kFileNotFound : winerr::kPathNotFound;
    return node;
  }

  // Starts a call on an entry that must exist: logs it, applies the faults
  // and finds the entry. Null when the call has already failed.
  FsNode* BeginOnEntry(Call call, const std::string& subject, const std::string& path,
                       SimPath& p) {
    if (auto fault = Begin(call, subject)) {
      Fail(*fault);
      return nullptr;
    }
    if (TooLong(path)) {
      Fail(winerr::kFilenameTooLong);
      return nullptr;
    }
    long error = 0;
    FsNode* node = Existing(path, p, error);
    if (!node) Fail(error);
    return node;
  }

  bool IsHeld(const SimPath& p) const { return held.count(PathKey(p)) != 0; }
  // Ends the holds whose time is up (all, when `all`); a file deleted while held goes.
  void EndHolds(bool all) {
    for (auto it = held.begin(); it != held.end();) {
      const HoldState& h = it->second;
      const bool over = all || (h.hold.ms != 0 && clock >= h.hold.ms);
      FsNode* gone = over && h.pending ? Lookup(h.path, false) : nullptr;
      if (gone) Detach(*ParentOf(h.path), *gone);
      it = over ? held.erase(it) : std::next(it);
    }
  }

  // Why a file cannot be opened (a folder: 5, held by another: its hold's error), or 0.
  long OpenError(const FsNode& node, const SimPath& p) const {
    if (node.folder) return winerr::kAccessDenied;
    auto it = held.find(PathKey(p));  // a holder sharing deletion shares all
    if (it == held.end() || (it->second.hold.shareDelete && !it->second.pending)) return 0;
    return it->second.pending ? winerr::kAccessDenied : it->second.hold.error;
  }

  static bool IsInside(const SimPath& inner, const SimPath& outer) {
    if (inner.drive != outer.drive || inner.parts.size() < outer.parts.size()) return false;
    for (std::size_t i = 0; i < outer.parts.size(); ++i)
      if (Lower(inner.parts[i]) != Lower(outer.parts[i])) return false;
    return true;
  }

  // An entry as the search reports it.
  FindData Entry(const FsNode& node) const {
    FindData data;
    data.name = node.ansiName.empty() ? node.name : node.ansiName;
    data.attributes = ReportedAttributes(node);
    data.nameNotAnsi = windows9x ? data.name.find('?') != std::string::npos
                                 : !node.ansiName.empty();
    return data;
  }

  static std::uint32_t ReportedAttributes(const FsNode& node) {
    if (node.folder) return node.attributes | kAttrDirectory;
    return node.attributes == 0 ? kAttrNormal : node.attributes;
  }

  // Puts a new entry into its parent folder; null when the name cannot be used.
  FsNode* Insert(FsNode& parent, const std::string& name, bool folder) {
    auto node = std::make_unique<FsNode>();
    node->name = name;
    node->shortName = shortNames ? ShortNameFor(parent, name) : std::string();
    node->index = nextIndex++;
    node->folder = folder;
    node->attributes = folder ? 0 : kAttrArchive;
    FsNode* raw = node.get();
    if (!raw->shortName.empty()) parent.byShortName[Key(raw->shortName)] = raw;
    parent.children[ChildKey(parent, name)] = std::move(node);
    return raw;
  }

  // Every entry of a tree as it went to the Recycle Bin, the top one first.
  static void Flatten(const FsNode& node, const std::string& path, bool wholeItem,
                      std::vector<RecycledEntry>& out) {
    out.push_back({path, node.folder, node.bytes, wholeItem});
    for (const auto& child : node.children)
      Flatten(*child.second, path + "\\" + child.second->name, false, out);
  }

  // Deletes a tree for good, deepest first, the way the shell does without
  // the undo flag: read-only files go too (the shell clears the attribute
  // and retries), a held file or the current folder stops it with the
  // error of the call that failed. What was deleted before stays deleted.
  long DeleteTree(FsNode& parent, const SimPath& p) {
    FsNode* node = Lookup(p, false);  // a link goes, never what it leads to
    if (node->folder) {
      std::vector<std::string> names;
      for (const auto& child : node->children) names.push_back(child.second->name);
      for (const std::string& name : names) {
        SimPath childPath = p;
        childPath.parts.push_back(name);
        long rc = DeleteTree(*node, childPath);
        if (rc != 0) return rc;
      }
      if (PathKey(p) == PathKey(currentDir)) return winerr::kSharingViolation;
    } else if (IsHeld(p)) {
      return winerr::kSharingViolation;
    }
    Detach(parent, *node);
    ++permanentlyDeleted;
    return 0;
  }

  // The entries of a folder that a last name (perhaps with wildcards) names.
  std::vector<const FsNode*> Matching(const FsNode& folder, const std::string& mask) const {
    std::vector<const FsNode*> found;
    if (!HasWildcards(mask)) {
      if (const FsNode* node = Child(folder, mask)) found.push_back(node);
      return found;
    }
    for (const auto& child : folder.children)
      if (WildcardMatch(mask, child.second->name)) found.push_back(child.second.get());
    return found;
  }

  // Deletes one entry of `folder` the way the shell does.
  long ShellDeleteOne(FsNode& folder, const SimPath& p, unsigned flags) {
    // Only a fixed drive has a Recycle Bin: elsewhere the undo flag is
    // ignored and the item is deleted for good.
    if ((flags & kFofAllowUndo) == 0 || DriveTypeOf(p.drive) != kDriveFixed)
      return DeleteTree(folder, p);
    // Into the Recycle Bin as a whole. Wine moves the item on the host
    // side, so a held file or the current folder deeper inside does not
    // stop it. When the item itself is in use (the current folder, a held
    // file) the move fails and Wine deletes for good instead: a folder's
    // contents are lost, not recycled, and the item stays (32).
    if (PathKey(p) == PathKey(currentDir) || IsHeld(p)) return DeleteTree(folder, p);
    FsNode* node = Lookup(p, false);
    Flatten(*node, StoredPath(p), true, recycled);
    Detach(folder, *node);
    return 0;
  }

  unsigned DriveTypeOf(char drive) const {
    if (drives.count(drive) == 0) return kDriveNoRootDir;
    auto it = driveTypes.find(drive);
    return it == driveTypes.end() ? kDriveFixed : it->second;
  }

  // ---- Registry ----

  std::shared_ptr<RegNode> KeyOf(RegKey key) const {
    if (key == kHkeyCurrentUser) return hkcu;
    if (key == kHkeyLocalMachine) return hklm;
    auto it = keys.find(key);
    return it == keys.end() ? nullptr : it->second.node;
  }
  // The access a handle was opened with; the roots have every right.
  std::uint32_t AccessOf(RegKey key) const {
    auto it = keys.find(key);
    return it == keys.end() ? kKeyAllAccess : it->second.access;
  }

  static std::shared_ptr<RegNode> Walk(std::shared_ptr<RegNode> node, const std::string& path) {
    for (const std::string& part : SplitKeyPath(path)) {
      auto it = node->subkeys.find(Lower(part));
      if (it == node->subkeys.end()) return nullptr;
      node = it->second;
    }
    return node;
  }

  std::shared_ptr<RegNode> MakeKeys(RegKey root, const std::string& path) {
    std::shared_ptr<RegNode> node = KeyOf(root);
    if (!node || !node->isRoot) return nullptr;
    for (const std::string& part : SplitKeyPath(path)) {
      auto& slot = node->subkeys[Lower(part)];
      if (!slot) {
        slot = std::make_shared<RegNode>();
        slot->name = part;
        slot->fullPath = node->fullPath + "\\" + part;
      }
      node = slot;
    }
    return node;
  }

  std::string KeySubject(RegKey key, const std::string& path) const {
    std::shared_ptr<RegNode> node = KeyOf(key);
    std::string base = node ? node->fullPath : "?";
    return path.empty() ? base : base + "\\" + path;
  }
};

namespace {

std::shared_ptr<RegNode> MakeRoot(const char* name) {
  auto root = std::make_shared<RegNode>();
  root->name = name;
  root->fullPath = name;
  root->isRoot = true;
  return root;
}

}  // namespace

SimMachine::SimMachine() : m_impl(std::make_unique<Impl>()) {
  AddDrive('C');
  m_impl->currentDir = SimPath{'C', {}};
  m_impl->hkcu = MakeRoot("HKEY_CURRENT_USER");
  m_impl->hklm = MakeRoot("HKEY_LOCAL_MACHINE");
}

SimMachine::~SimMachine() = default;

std::unique_ptr<SimMachine> SimMachine::StandardLayout() {
  auto machine = std::make_unique<SimMachine>();
  struct Folder {
    int csidl;
    const char* path;
  };
  const Folder folders[] = {
      {csidl::kWindows, "C:\\windows"},
      {csidl::kSystem, "C:\\windows\\system32"},
      {csidl::kProgramFiles, "C:\\Program Files"},
      {csidl::kProgramFilesX86, "C:\\Program Files (x86)"},
      {csidl::kProgramFilesCommon, "C:\\Program Files\\Common Files"},
      {csidl::kCommonAppData, "C:\\ProgramData"},
      {csidl::kCommonDesktopDirectory, "C:\\users\\Public\\Desktop"},
      {csidl::kDesktopDirectory, "C:\\users\\tech\\Desktop"},
      {csidl::kCommonStartMenu, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
      {csidl::kStartMenu, "C:\\users\\tech\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
      {csidl::kProfile, "C:\\users\\tech"},
      {csidl::kAppData, "C:\\users\\tech\\AppData\\Roaming"},
      {csidl::kPersonal, "C:\\users\\tech\\Documents"},
  };
  for (const Folder& folder : folders) {
    machine->AddFolder(folder.path);
    machine->SetSpecialFolder(folder.csidl, folder.path);
  }
  machine->SetProfilesDirectory("C:\\users");
  machine->SetOsVersion(6, 1);
  machine->SetUserName("tech");
  machine->AddKey(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  machine->SetStringValue(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "ProgramFilesDir", "C:\\Program Files");
  machine->AddKey(kHkeyCurrentUser, "Software");
  return machine;
}

// ---------------------------------------------------------------- seeding: files

void SimMachine::AddDrive(char letter) {
  char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto& root = m_impl->drives[drive];
  if (!root) {
    root = std::make_unique<FsNode>();
    root->folder = true;
    root->name = std::string(1, drive) + ":";
  }
}

bool SimMachine::AddFolder(const std::string& path) {
  SimPath p;
  if (!m_impl->Resolve(path, p)) return false;
  auto drive = m_impl->drives.find(p.drive);
  if (drive == m_impl->drives.end()) return false;
  FsNode* node = drive->second.get();
  for (const std::string& part : p.parts) {
    if (!ValidFileName(part)) return false;
    FsNode* child = m_impl->Child(*node, part);
    if (!child) child = m_impl->Insert(*node, part, true);
    if (!child->folder) return false;
    node = child;
  }
  return true;
}

bool SimMachine::AddFile(const std::string& path, const std::string& bytes,
                         std::uint32_t attributes, std::uint64_t writeTime) {
  SimPath p;
  if (!m_impl->Resolve(path, p) || p.parts.empty() || !ValidFileName(p.parts.back())) return false;
  SimPath parent = p;
  parent.parts.pop_back();
  // A folder there is kept (one reached by its 8.3 name has another stored name).
  if (!m_impl->Lookup(parent) && !AddFolder(m_impl->StoredPath(parent))) return false;
  FsNode* folder = m_impl->Lookup(parent);
  if (!folder) return false;  // a parent name Windows would not keep as given ("a.", "a ")
  FsNode* node = m_impl->Lookup(p);
  if (node && node->folder) return false;
  if (!node) node = m_impl->Insert(*folder, p.parts.back(), false);
  node->bytes = bytes;
  node->attributes = attributes & ~(kAttrDirectory | kAttrNormal);
  node->writeTime = writeTime;
  return true;
}

void SimMachine::LimitPathLength(bool on) { m_impl->limitPaths = on; }

bool SimMachine::MakeCaseSensitive(const std::string& folder) {
  SimPath p;
  FsNode* node = m_impl->Resolve(folder, p) ? m_impl->Lookup(p) : nullptr;
  if (!node || !node->folder || !node->children.empty()) return false;
  node->caseSensitive = true;
  return true;
}

bool SimMachine::AddFolderLink(const std::string& link, const std::string& target) {
  SimPath p, to;
  if (!m_impl->Resolve(link, p) || p.parts.empty() || !m_impl->Resolve(target, to)) return false;
  SimPath parent = p;
  parent.parts.pop_back();
  if (!AddFolder(m_impl->StoredPath(parent))) return false;
  FsNode* folder = m_impl->Lookup(parent);
  if (!folder || m_impl->Lookup(p, false)) return false;
  FsNode* node = m_impl->Insert(*folder, p.parts.back(), true);
  node->link = to;
  node->attributes = kAttrReparsePoint;
  return true;
}

namespace {

// The name in the ANSI code page the way the ANSI calls give it, with best
// fit; false when that is not the name itself. Models code page 1252 as
// Latin-1, with the best fit of the fullwidth forms of ASCII and of "Ł" ("L").
bool AnsiFormOf(const std::string& utf8, std::string& ansi) {
  bool exact = true;
  ansi.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int k = 1; k < length && i + k < utf8.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<std::size_t>(length);
    if (code <= 0xFF) {
      ansi += static_cast<char>(code);
      continue;
    }
    exact = false;
    ansi += code >= 0xFF01 && code <= 0xFF5E ? static_cast<char>(code - 0xFEE0)
            : code == 0x141 || code == 0x142 ? static_cast<char>('L' + (code - 0x141) * 32)
                                             : '?';
  }
  return exact;
}

// The ANSI text (Latin-1, as above) in UTF-8.
std::string Utf8FromAnsi(const std::string& ansi) {
  std::string utf8;
  for (unsigned char byte : ansi)
    utf8 += byte < 0x80 ? std::string(1, static_cast<char>(byte))
                        : std::string{static_cast<char>(0xC0 | (byte >> 6)),
                                      static_cast<char>(0x80 | (byte & 0x3F))};
  return utf8;
}

}  // namespace

bool SimMachine::AddFileNamedInUtf8(const std::string& folder, const std::string& utf8Name,
                                    const std::string& bytes, bool isFolder) {
  std::string ansi;
  if (AnsiFormOf(utf8Name, ansi))
    return isFolder ? AddFolder(folder + "\\" + ansi) : AddFile(folder + "\\" + ansi, bytes);
  SimPath p;
  if (!AddFolder(folder) || !m_impl->Resolve(folder, p)) return false;
  FsNode* parent = m_impl->Lookup(p);
  if (!parent || parent->children.count(m_impl->ChildKey(*parent, utf8Name)) != 0) return false;
  FsNode* node = m_impl->Insert(*parent, utf8Name, isFolder);
  node->ansiName = ansi;
  node->bytes = bytes;
  return true;
}

void SimMachine::TurnOffShortNames() { m_impl->shortNames = false; }

bool SimMachine::Exists(const std::string& path) const {
  SimPath p;
  return m_impl->Resolve(path, p) && m_impl->WideLookup(p) != nullptr;
}

bool SimMachine::IsFolder(const std::string& path) const {
  SimPath p;
  FsNode* node = m_impl->Resolve(path, p) ? m_impl->WideLookup(p) : nullptr;
  return node && node->folder;
}

bool SimMachine::ReadFile(const std::string& path, std::string& bytes) const {
  SimPath p;
  FsNode* node = m_impl->Resolve(path, p) ? m_impl->WideLookup(p) : nullptr;
  if (!node || node->folder) return false;
  bytes = node->bytes;
  return true;
}

std::uint32_t SimMachine::GetAttributes(const std::string& path) const {
  SimPath p;
  FsNode* node = m_impl->Resolve(path, p) ? m_impl->WideLookup(p) : nullptr;
  return node ? Impl::ReportedAttributes(*node) : 0xFFFFFFFFu;
}

bool SimMachine::SetAttributes(const std::string& path, std::uint32_t attributes) {
  SimPath p;
  FsNode* node = m_impl->Resolve(path, p) ? m_impl->Lookup(p) : nullptr;
  if (!node) return false;
  node->attributes = attributes & ~(kAttrDirectory | kAttrNormal);
  return true;
}

std::uint64_t SimMachine::WriteTime(const std::string& path) const {
  SimPath p;
  FsNode* node = m_impl->Resolve(path, p) ? m_impl->Lookup(p) : nullptr;
  return node ? node->writeTime : 0;
}

bool SimMachine::SetWriteTime(const std::string& path, std::uint64_t time) {
  SimPath p;
  FsNode* node = m_impl->Resolve(path, p) ? m_impl->Lookup(p) : nullptr;
  if (!node) return false;
  node->writeTime = time;
  return true;
}

std::string SimMachine::CurrentDir() const { return m_impl->StoredPath(m_impl->currentDir); }

namespace {
void ListInto(const FsNode& node, const std::string& path, std::vector<std::string>& out) {
  for (const auto& child : node.children) {
    std::string childPath = path + "\\" + child.second->name;
    out.push_back(childPath);
    ListInto(*child.second, childPath, out);
  }
}
}  // namespace

std::vector<std::string> SimMachine::ListTree(const std::string& folder) const {
  std::vector<std::string> out;
  SimPath p;
  FsNode* node = m_impl->Resolve(folder, p) ? m_impl->Lookup(p) : nullptr;
  if (!node) return out;
  std::string base = m_impl->StoredPath(p);
  if (!base.empty() && base.back() == '\\') base.pop_back();
  ListInto(*node, base, out);
  std::sort(out.begin(), out.end());
  return out;
}

void SimMachine::HoldOpen(const std::string& path) {
  SimPath p;
  if (m_impl->Resolve(path, p)) m_impl->held[m_impl->PathKey(p)] = HoldState{p, Hold{}};
}

void SimMachine::ReleaseAll() { m_impl->EndHolds(true); }

void SimMachine::HoldBriefly(const std::string& path, Hold hold) {
  SimPath p;
  if (hold.ms != 0) hold.ms += m_impl->clock;
  if (m_impl->Resolve(path, p)) m_impl->held[m_impl->PathKey(p)] = HoldState{p, hold};
}

std::string SimMachine::ShortPathOf(const std::string& path) const {
  SimPath p;
  if (!m_impl->Resolve(path, p) || !m_impl->Lookup(p)) return std::string();
  std::string text = std::string(1, p.drive) + ":";
  const FsNode* folder = m_impl->drives.at(p.drive).get();
  for (const std::string& part : p.parts) {
    const FsNode* child = m_impl->Child(*folder, part);
    text += "\\" + (child->shortName.empty() ? child->name : child->shortName);
    folder = child;
  }
  return p.parts.empty() ? text + "\\" : text;
}

void SimMachine::SetDriveType(char letter, unsigned type) {
  m_impl->driveTypes[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = type;
}

void SimMachine::SetCodePage(std::uint32_t id) {
  AnsiCodePage page;
  page.id = id;
  auto lead = [&page](unsigned from, unsigned to) {
    for (unsigned byte = from; byte <= to; ++byte) page.leadBytes.set(byte);
  };
  if (id == 932) {
    lead(0x81, 0x9F);
    lead(0xE0, 0xFC);
  } else if (id == 936 || id == 949 || id == 950) {
    lead(0x81, 0xFE);
  }
  m_impl->codePage = page;
}

std::vector<SimMachine::RecycledEntry> SimMachine::Recycled() const { return m_impl->recycled; }

std::size_t SimMachine::PermanentlyDeletedCount() const { return m_impl->permanentlyDeleted; }

// ---------------------------------------------------------------- seeding: registry

bool SimMachine::AddKey(RegKey root, const std::string& path) {
  return m_impl->MakeKeys(root, path) != nullptr;
}

bool SimMachine::SetValue(RegKey root, const std::string& path, const std::string& name,
                          const std::string& bytes) {
  std::shared_ptr<RegNode> node = m_impl->MakeKeys(root, path);
  if (!node) return false;
  node->values[Lower(name)] = {name, bytes};
  return true;
}

bool SimMachine::SetStringValue(RegKey root, const std::string& path, const std::string& name,
                                const std::string& text) {
  return SetValue(root, path, name, text + std::string(1, '\0'));
}

bool SimMachine::KeyExists(RegKey root, const std::string& path) const {
  std::shared_ptr<RegNode> node = m_impl->KeyOf(root);
  return node && Impl::Walk(node, path) != nullptr;
}

bool SimMachine::ValueExists(RegKey root, const std::string& path, const std::string& name) const {
  std::shared_ptr<RegNode> node = m_impl->KeyOf(root);
  if (node) node = Impl::Walk(node, path);
  return node && node->values.count(Lower(name)) != 0;
}

std::vector<std::string> SimMachine::SubkeyNames(RegKey root, const std::string& path) const {
  std::vector<std::string> names;
  std::shared_ptr<RegNode> node = m_impl->KeyOf(root);
  if (node) node = Impl::Walk(node, path);
  if (node)
    for (const auto& sub : node->subkeys) names.push_back(sub.second->name);
  return names;
}

void SimMachine::DenyFullAccess(RegKey root, const std::string& path) {
  std::shared_ptr<RegNode> node = m_impl->MakeKeys(root, path);
  if (node) node->denyFull = true;
}

std::size_t SimMachine::OpenKeyCount() const { return m_impl->keys.size(); }

// ---------------------------------------------------------------- seeding: shell and system

void SimMachine::SetSpecialFolder(int csidlFolder, const std::string& path) {
  m_impl->specialFolders[csidlFolder] = Utf8FromAnsi(path);
}

void SimMachine::SetSpecialFolderInUtf8(int csidlFolder, const std::string& utf8Path) {
  m_impl->specialFolders[csidlFolder] = utf8Path;
}

void SimMachine::SetProfilesDirectory(const std::string& path) { m_impl->profilesDir = path; }

void SimMachine::SetEnvironmentVariable(const std::string& name, const std::string& value) {
  m_impl->environment[Upper(name)] = value;
}

void SimMachine::SetOsVersion(std::uint32_t major, std::uint32_t minor) {
  m_impl->version.major = major;
  m_impl->version.minor = minor;
}

void SimMachine::ActAsOlderSystem(OlderSystem system) {
  const bool windows98 = system == OlderSystem::Windows98;
  m_impl->version = windows98 ? OsVersion{4, 10, 1998, 1} : OsVersion{4, 0, 1381, 2};
  m_impl->windows9x = windows98;
  m_impl->wideShell = false;  // NT 4.0 without the desktop update
  m_impl->profilesDir.reset();
}

void SimMachine::SetUserName(const std::string& name) { m_impl->userName = name; }

void SimMachine::SetBrowseResult(std::optional<std::string> path, bool hasPath) {
  m_impl->browsePath = std::move(path);
  m_impl->browseHasPath = hasPath;
}

WindowHandle SimMachine::LastBrowseOwner() const { return m_impl->browseOwner; }

int SimMachine::ComDepth() const { return m_impl->comDepth; }
int SimMachine::LiveItemLists() const { return static_cast<int>(m_impl->itemLists.size()); }
int SimMachine::LiveFinds() const { return static_cast<int>(m_impl->searches.size()); }

// ---------------------------------------------------------------- faults and log

void SimMachine::InjectFault(const Fault& fault) { m_impl->faults.push_back({fault, 0}); }

void SimMachine::FailCallNumber(std::size_t k, long error) { m_impl->failNumbers[k] = error; }

void SimMachine::ClearFaults() {
  m_impl->faults.clear();
  m_impl->failNumbers.clear();
}

void SimMachine::InterruptAtCallNumber(std::size_t k) { m_impl->interruptAt = k; }

void SimMachine::StartNewProcess() {
  Impl& m = *m_impl;
  m.interruptAt = 0;
  m.searches.clear();
  m.keys.clear();
  m.currentDir = SimPath{'C', {}};
}

const std::vector<SimMachine::CallRecord>& SimMachine::Calls() const { return m_impl->calls; }

std::size_t SimMachine::CallCount() const { return m_impl->calls.size(); }

// ---------------------------------------------------------------- registry calls

long SimMachine::OpenKey(RegKey parent, const std::string& path, std::uint32_t access,
                         RegKey& out) {
  out = 0;
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::OpenKey, m.KeySubject(parent, path))) return m.End(*fault);
  std::shared_ptr<RegNode> base = m.KeyOf(parent);
  if (!base) return m.End(winerr::kInvalidHandle);
  if (base->deleted) return m.End(winerr::kKeyDeleted);
  // Wine refuses a path that begins with a backslash; doubled ones inside
  // are taken as one.
  if (!path.empty() && path[0] == '\\') return m.End(winerr::kBadPathName);
  std::shared_ptr<RegNode> node = Impl::Walk(base, path);
  if (!node) return m.End(winerr::kFileNotFound);
  if (node->denyFull && (access & ~kKeyRead) != 0) return m.End(winerr::kAccessDenied);
  out = m.nextKey;
  m.nextKey += 4;
  m.keys[out] = {node, access};
  return m.End(winerr::kSuccess);
}

long SimMachine::QueryValue(RegKey key, const std::string& name, std::uint32_t capacity,
                            std::string& data) {
  data.clear();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::QueryValue, m.KeySubject(key, "") + ", " + name))
    return m.End(*fault);
  std::shared_ptr<RegNode> node = m.KeyOf(key);
  if (!node) return m.End(winerr::kInvalidHandle);
  if (node->deleted) return m.End(winerr::kKeyDeleted);
  auto it = node->values.find(Lower(name));
  if (it == node->values.end()) return m.End(winerr::kFileNotFound);
  if (it->second.second.size() > capacity) return m.End(winerr::kMoreData);
  data = it->second.second;
  return m.End(winerr::kSuccess);
}

long SimMachine::EnumKey(RegKey key, std::uint32_t index, std::uint32_t capacity,
                         std::string& name) {
  name.clear();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::EnumKey, m.KeySubject(key, ""))) return m.End(*fault);
  std::shared_ptr<RegNode> node = m.KeyOf(key);
  if (!node) return m.End(winerr::kInvalidHandle);
  if (node->deleted) return m.End(winerr::kKeyDeleted);
  // Subkeys enumerate in case-insensitive name order, as Windows and Wine
  // keep them; a deleted key is gone from the order at once.
  if (index >= node->subkeys.size()) return m.End(winerr::kNoMoreItems);
  auto it = node->subkeys.begin();
  std::advance(it, index);
  const std::string& found = it->second->name;
  if (found.size() >= capacity) return m.End(winerr::kMoreData);
  name = found;
  return m.End(winerr::kSuccess);
}

long SimMachine::DeleteKey(RegKey parent, const std::string& name) {
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::DeleteKey, m.KeySubject(parent, name))) return m.End(*fault);
  std::shared_ptr<RegNode> base = m.KeyOf(parent);
  if (!base) return m.End(winerr::kInvalidHandle);
  if (base->deleted) return m.End(winerr::kKeyDeleted);
  std::vector<std::string> parts = SplitKeyPath(name);
  if (parts.empty()) return m.End(winerr::kAccessDenied);  // a key cannot delete itself here
  std::string last = parts.back();
  parts.pop_back();
  std::shared_ptr<RegNode> holder = base;
  for (const std::string& part : parts) {
    auto it = holder->subkeys.find(Lower(part));
    if (it == holder->subkeys.end()) return m.End(winerr::kFileNotFound);
    holder = it->second;
  }
  auto it = holder->subkeys.find(Lower(last));
  if (it == holder->subkeys.end()) return m.End(winerr::kFileNotFound);
  // A key with subkeys is refused (5). A key whose access is denied is
  // still deleted through its parent: Wine does not check the key's own
  // security there.
  if (!it->second->subkeys.empty()) return m.End(winerr::kAccessDenied);
  it->second->deleted = true;
  holder->subkeys.erase(it);
  return m.End(winerr::kSuccess);
}

long SimMachine::DeleteValue(RegKey key, const std::string& name) {
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::DeleteValue, m.KeySubject(key, "") + ", " + name))
    return m.End(*fault);
  std::shared_ptr<RegNode> node = m.KeyOf(key);
  if (!node) return m.End(winerr::kInvalidHandle);
  if (node->deleted) return m.End(winerr::kKeyDeleted);
  if ((m.AccessOf(key) & kKeySetValue) == 0) return m.End(winerr::kAccessDenied);
  if (node->values.erase(Lower(name)) == 0) return m.End(winerr::kFileNotFound);
  return m.End(winerr::kSuccess);
}

long SimMachine::CloseKey(RegKey key) {
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::CloseKey, m.KeySubject(key, ""))) return m.End(*fault);
  if (key == kHkeyCurrentUser || key == kHkeyLocalMachine) return m.End(winerr::kSuccess);
  if (m.keys.erase(key) == 0) return m.End(winerr::kInvalidHandle);
  return m.End(winerr::kSuccess);
}

// ---------------------------------------------------------------- file calls

bool SimMachine::SetCurrentDir(const std::string& path) {
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::SetCurrentDir, path)) return m.Fail(*fault);
  if (path.empty()) return m.Fail(winerr::kInvalidName);
  if (m.TooLong(path)) return m.Fail(winerr::kFilenameTooLong);
  SimPath p;
  long error = 0;
  FsNode* node = m.Existing(path, p, error);
  if (!node) return m.Fail(error);
  if (!node->folder) return m.Fail(winerr::kNotADirectory);
  m.currentDir = p;
  return m.Succeed();
}

FindHandle SimMachine::FindFirst(const std::string& pattern, FindData& out) {
  out = FindData();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::FindFirst, pattern)) return m.Fail(*fault);
  // A pattern that ends in a separator names no entry (a drive root
  // included): Windows and Wine both find nothing (2).
  if (pattern.empty() || m.EndsWithSeparator(pattern)) return m.Fail(winerr::kFileNotFound);
  if (m.TooLong(pattern)) return m.Fail(winerr::kFilenameTooLong);
  SimPath p;
  if (!m.Resolve(pattern, p)) return m.Fail(winerr::kPathNotFound);
  if (p.parts.empty()) return m.Fail(winerr::kFileNotFound);
  FsNode* folder = m.ParentOf(p);
  if (!folder) return m.Fail(winerr::kPathNotFound);
  const std::string mask = p.parts.back();
  OpenSearch search;
  search.pattern = pattern;
  // A folder other than a drive root lists "." and ".." first.
  if (HasWildcards(mask) && p.parts.size() > 1) {
    for (const char* dot : {".", ".."})
      if (WildcardMatch(mask, dot)) search.entries.push_back({dot, kAttrDirectory});
  }
  for (const FsNode* node : m.Matching(*folder, mask)) search.entries.push_back(m.Entry(*node));
  if (search.entries.empty()) return m.Fail(winerr::kFileNotFound);
  out = search.entries[0];
  search.next = 1;
  FindHandle handle = m.nextFind++;
  m.searches[handle] = std::move(search);
  m.End(1);
  return handle;
}

bool SimMachine::FindNext(FindHandle find, FindData& out) {
  Impl& m = *m_impl;
  auto it = m.searches.find(find);
  std::string subject = it == m.searches.end() ? std::string() : it->second.pattern;
  if (auto fault = m.Begin(Call::FindNext, subject)) return m.Fail(*fault);
  if (it == m.searches.end()) return m.Fail(winerr::kInvalidHandle);
  OpenSearch& search = it->second;
  if (search.next >= search.entries.size()) return m.Fail(winerr::kNoMoreFiles);
  out = search.entries[search.next++];
  return m.Succeed();
}

bool SimMachine::CloseFind(FindHandle find) {
  Impl& m = *m_impl;
  auto it = m.searches.find(find);
  std::string subject = it == m.searches.end() ? std::string() : it->second.pattern;
  if (auto fault = m.Begin(Call::CloseFind, subject)) return m.Fail(*fault);
  if (it == m.searches.end()) return m.Fail(winerr::kInvalidHandle);
  m.searches.erase(it);
  return m.Succeed();
}

bool SimMachine::MakeDirectory(const std::string& path) {
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::MakeDirectory, path)) return m.Fail(*fault);
  if (m.TooLong(path)) return m.Fail(winerr::kFilenameTooLong);
  SimPath p;
  if (!m.Resolve(path, p)) return m.Fail(winerr::kPathNotFound);
  if (m.Lookup(p)) return m.Fail(winerr::kAlreadyExists);
  FsNode* parent = m.ParentOf(p);
  if (!parent) return m.Fail(winerr::kPathNotFound);
  if (!ValidFileName(p.parts.back())) return m.Fail(winerr::kInvalidName);
  m.Insert(*parent, p.parts.back(), true);
  return m.Succeed();
}

bool SimMachine::CopyOneFile(const std::string& from, const std::string& to, bool failIfExists) {
  Impl& m = *m_impl;
  SimPath source;
  FsNode* node = m.BeginOnEntry(Call::CopyOneFile, from + " -> " + to, from, source);
  if (!node) return false;
  if (long error = m.OpenError(*node, source)) return m.Fail(error);
  SimPath target;
  if (!m.Resolve(to, target)) return m.Fail(winerr::kPathNotFound);
  FsNode* folder = m.ParentOf(target);
  if (!folder) return m.Fail(winerr::kPathNotFound);
  FsNode* existing = m.Lookup(target);
  if (existing) {
    if (failIfExists) return m.Fail(winerr::kFileExists);
    // A read-only target is overwritten: Wine does so (Windows refuses, 5).
    if (existing->folder) return m.Fail(winerr::kAccessDenied);
    if (m.IsHeld(target)) return m.Fail(winerr::kSharingViolation);
  } else if (!ValidFileName(target.parts.back())) {
    return m.Fail(winerr::kInvalidName);
  }
  // Copy the source's fields before the target is made: both may be one
  // entry when a file is copied onto itself.
  std::string bytes = node->bytes;
  std::uint32_t attributes = node->attributes;
  std::uint64_t writeTime = node->writeTime;
  if (!existing) existing = m.Insert(*folder, target.parts.back(), false);
  existing->bytes = bytes;
  existing->attributes = attributes;
  existing->writeTime = writeTime;
  if (m.CutShort()) existing->bytes.resize(bytes.size() / 2);
  return m.Succeed();
}

bool SimMachine::RenameFile(const std::string& from, const std::string& to) {
  Impl& m = *m_impl;
  SimPath source;
  FsNode* node = m.BeginOnEntry(Call::RenameFile, from + " -> " + to, from, source);
  if (!node) return false;
  if (m.IsHeld(source)) return m.Fail(winerr::kSharingViolation);
  if (m.TooLong(to)) return m.Fail(winerr::kFilenameTooLong);
  SimPath target;
  if (!m.Resolve(to, target)) return m.Fail(winerr::kPathNotFound);
  FsNode* folder = m.ParentOf(target);
  if (!folder) return m.Fail(winerr::kPathNotFound);
  // A folder moves with all in it, unless a held file or the current folder is in it.
  const std::string key = m.PathKey(source) + "\\", current = m.PathKey(m.currentDir) + "\\";
  auto inside = [&key](const std::string& other) { return other.rfind(key, 0) == 0; };
  auto holdInside = [&inside](const auto& hold) { return inside(hold.first); };
  if (node->folder && (inside(current) || std::any_of(m.held.begin(), m.held.end(), holdInside)))
    return m.Fail(winerr::kAccessDenied);
  FsNode* existing = m.Lookup(target);
  if (existing && existing != node) return m.Fail(winerr::kAlreadyExists);
  if (!ValidFileName(target.parts.back())) return m.Fail(winerr::kInvalidName);
  // The same entry under its new name: index, bytes and attributes stay.
  FsNode& holder = *m.ParentOf(source);
  std::unique_ptr<FsNode> moved = std::move(holder.children[m.ChildKey(holder, node->name)]);
  m.Detach(holder, *moved);
  moved->name = target.parts.back();
  moved->shortName = m.ShortNameFor(*folder, moved->name);
  if (!moved->shortName.empty()) folder->byShortName[m.Key(moved->shortName)] = moved.get();
  folder->children[m.ChildKey(*folder, moved->name)] = std::move(moved);
  return m.Succeed();
}

bool SimMachine::RemoveFile(const std::string& path) {
  Impl& m = *m_impl;
  SimPath p;
  FsNode* node = m.BeginOnEntry(Call::RemoveFile, path, path, p);
  if (!node) return false;
  if (long error = m.OpenError(*node, p)) return m.Fail(error);
  if ((node->attributes & kAttrReadOnly) != 0) return m.Fail(winerr::kAccessDenied);
  if (m.IsHeld(p)) m.held[m.PathKey(p)].pending = true;  // shared deletion: the name stays
  else m.Detach(*m.ParentOf(p), *node);
  return m.Succeed();
}

bool SimMachine::RemoveDir(const std::string& path) {
  Impl& m = *m_impl;
  SimPath p;
  FsNode* node = m.BeginOnEntry(Call::RemoveDir, path, path, p);
  if (!node) return false;
  if (!node->folder) return m.Fail(winerr::kNotADirectory);
  if (const std::optional<SimPath>& link = m.Lookup(p, false)->link) {
    // Wine works on the folder the link leads to: when that is empty it is
    // removed and the link stays, leading nowhere; otherwise 145. (Windows
    // removes the link itself.)
    if (!node->children.empty()) return m.Fail(winerr::kDirNotEmpty);
    FsNode* holder = m.ParentOf(*link);
    if (!holder) return m.Fail(winerr::kAccessDenied);
    m.Detach(*holder, *m.Lookup(*link, false));
    return m.Succeed();
  }
  if (p.parts.empty()) return m.Fail(winerr::kAccessDenied);
  // The current folder is open in the process: removing it is a sharing
  // violation. A folder that holds it is not empty.
  if (m.PathKey(p) == m.PathKey(m.currentDir)) return m.Fail(winerr::kSharingViolation);
  if (!node->children.empty()) return m.Fail(winerr::kDirNotEmpty);
  m.Detach(*m.ParentOf(p), *node);
  return m.Succeed();
}

bool SimMachine::ClearFileAttributes(const std::string& path) {
  Impl& m = *m_impl;
  SimPath p;
  FsNode* node = m.BeginOnEntry(Call::ClearFileAttributes, path, path, p);
  if (!node) return false;
  if (long error = m.OpenError(*node, p)) return m.Fail(error);
  // Wine reports every plain file as "archive", cleared or not (Windows
  // would say "normal"). The times stay as they were.
  node->attributes = kAttrArchive;
  return m.Succeed();
}

long SimMachine::LastError() { return m_impl->lastError; }

// ---------------------------------------------------------------- path identity

namespace {
bool IsNetworkPath(const std::string& path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}
}  // namespace

bool SimMachine::FullPathName(const std::string& path, std::string& full) {
  full.clear();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::FullPathName, path)) return m.Fail(*fault);
  if (path.empty()) return m.Fail(winerr::kInvalidName);
  // Network and device paths come back as they were given, as on Wine.
  if (IsNetworkPath(path)) {
    full = path;
    return m.Succeed();
  }
  SimPath p;
  if (!m.Resolve(path, p)) return m.Fail(winerr::kPathNotFound);
  // The names stay as typed (short ones too); a trailing separator stays.
  std::string text = std::string(1, p.drive) + ":";
  for (const std::string& part : p.parts) text += "\\" + part;
  if (p.parts.empty() || m.EndsWithSeparator(path)) text += "\\";
  if (text.size() >= 260) return m.Fail(winerr::kFilenameTooLong);
  full = text;
  return m.Succeed();
}

bool SimMachine::LongPathName(const std::string& path, std::string& longPath) {
  longPath.clear();
  Impl& m = *m_impl;
  SimPath p;
  FsNode* node = m.BeginOnEntry(Call::LongPathName, path, path, p);
  if (!node) return false;
  // Short names become long ones; long names keep the case they were typed
  // in, as Wine keeps it. A link keeps its own name (the names are looked up
  // one by one, not resolved); the names below it are its target's.
  std::size_t prefix = Impl::DevicePrefixLength(path);
  std::string text = path.substr(0, prefix) + std::string(1, path[prefix]) + ":";
  const FsNode* folder = m.drives.at(p.drive).get();
  for (const std::string& part : p.parts) {
    const FsNode* child = m.Child(*folder, part);
    text += "\\" + (m.Key(child->name) == m.Key(part) ? part : child->name);
    folder = child->link ? m.Lookup(*child->link) : child;
  }
  if (p.parts.empty()) text += "\\";
  longPath = text;
  return m.Succeed();
}

bool SimMachine::IdentityOf(const std::string& path, FileIdentity& out) {
  out = FileIdentity();
  Impl& m = *m_impl;
  SimPath p;
  FsNode* node = m.BeginOnEntry(Call::IdentityOf, path, path, p);
  if (!node) return false;
  if (m.windows9x) return m.Fail(winerr::kInvalidParameter);
  out.volumeSerial = 0x5EED0000u | static_cast<unsigned char>(p.drive);
  out.fileIndex = node->index;
  return m.Succeed();
}

unsigned SimMachine::DriveType(const std::string& rootPath) {
  Impl& m = *m_impl;
  if (m.Begin(Call::DriveType, rootPath)) return static_cast<unsigned>(m.End(0));  // DRIVE_UNKNOWN
  // Wine answers "no such drive" for a network path too.
  bool drive = rootPath.size() >= 2 && rootPath[1] == ':' &&
               std::isalpha(static_cast<unsigned char>(rootPath[0]));
  char letter = drive ? static_cast<char>(std::toupper(static_cast<unsigned char>(rootPath[0]))) : 0;
  return static_cast<unsigned>(m.End(drive ? m.DriveTypeOf(letter) : kDriveNoRootDir));
}

AnsiCodePage SimMachine::CodePage() {
  Impl& m = *m_impl;
  m.Begin(Call::CodePage, "");  // GetACP cannot fail: faults are ignored
  m.End(m.codePage.id);
  return m.codePage;
}

// ---------------------------------------------------------------- shell calls

bool SimMachine::SpecialFolderPath(int csidlFolder, std::string& path) {
  return m_impl->SpecialFolder(csidlFolder, path, false);
}

bool SimMachine::EnvironmentVariable(const std::string& name, std::string& value) {
  value.clear();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::EnvironmentVariable, name)) return m.Fail(*fault);
  // Names are case-insensitive; an empty value counts as unset, as
  // GetEnvironmentVariableA's result of 0 does.
  auto it = m.environment.find(Upper(name));
  if (it == m.environment.end() || it->second.empty()) return m.Fail(winerr::kEnvVarNotFound);
  value = it->second;
  return m.Succeed();
}

bool SimMachine::ProfilesDirectory(std::string& path) {
  path.clear();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::ProfilesDirectory, "")) return m.Fail(*fault);
  if (!m.profilesDir) return m.Fail(winerr::kFileNotFound);
  path = *m.profilesDir;
  return m.Succeed();
}

int SimMachine::ShellFileOperation(WindowHandle owner, unsigned operation, const char* fromList,
                                   unsigned flags) {
  (void)owner;
  Impl& m = *m_impl;
  std::vector<std::string> items;
  for (const char* item = fromList; item && *item; item += std::strlen(item) + 1)
    items.push_back(item);
  if (auto fault = m.Begin(Call::ShellFileOperation, items.empty() ? "" : items[0]))
    return static_cast<int>(m.End(*fault));
  if (operation != kFoDelete) return static_cast<int>(m.End(winerr::kInvalidParameter));
  if (items.empty()) return static_cast<int>(m.End(winerr::kAccessDenied));  // Wine's answer
  // The items go one after the other, as on Wine: the first that cannot be
  // found ends the operation, and the ones before it stay deleted.
  for (const std::string& item : items) {
    // A path that ends in a separator is accepted and nothing is deleted:
    // Wine returns 0 for it, whether or not something is there.
    if (m.EndsWithSeparator(item)) continue;
    SimPath p;
    if (!m.Resolve(item, p) || p.parts.empty())
      return static_cast<int>(m.End(winerr::kAccessDenied));
    FsNode* folder = m.ParentOf(p);
    if (!folder) return static_cast<int>(m.End(winerr::kShellNoSuchItems));
    // Wildcards in the last name delete every match; no match is no error.
    std::vector<std::string> names;
    for (const FsNode* node : m.Matching(*folder, p.parts.back())) names.push_back(node->name);
    if (names.empty() && !HasWildcards(p.parts.back()))
      return static_cast<int>(m.End(winerr::kFileNotFound));
    for (const std::string& name : names) {
      p.parts.back() = name;
      if (long rc = m.ShellDeleteOne(*folder, p, flags)) return static_cast<int>(m.End(rc));
    }
  }
  return static_cast<int>(m.End(0));
}

bool SimMachine::ComInitialize() {
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::ComInitialize, "")) return m.Fail(*fault);
  ++m.comDepth;
  return m.Succeed();
}

void SimMachine::ComUninitialize() {
  Impl& m = *m_impl;
  if (m.Begin(Call::ComUninitialize, "")) {
    m.End(0);
    return;
  }
  if (m.comDepth > 0) --m.comDepth;
  m.End(0);
}

ItemList SimMachine::BrowseForFolder(WindowHandle owner, const std::string& title,
                                     unsigned flags) {
  (void)flags;
  Impl& m = *m_impl;
  m.browseOwner = owner;
  if (auto fault = m.Begin(Call::BrowseForFolder, title)) return m.Fail(*fault);
  if (!m.browsePath) return m.End(0);
  ItemList items = m.nextItemList++;
  m.itemLists[items] = {*m.browsePath, m.browseHasPath};
  m.End(1);
  return items;
}

bool SimMachine::PathFromItemList(ItemList items, std::string& path) {
  path.clear();
  Impl& m = *m_impl;
  auto it = m.itemLists.find(items);
  std::string subject = it == m.itemLists.end() ? std::string() : it->second.path;
  if (auto fault = m.Begin(Call::PathFromItemList, subject)) return m.Fail(*fault);
  if (it == m.itemLists.end() || !it->second.hasPath) return m.Fail(winerr::kInvalidParameter);
  path = it->second.path;
  return m.Succeed();
}

void SimMachine::FreeItemList(ItemList items) {
  Impl& m = *m_impl;
  if (m.Begin(Call::FreeItemList, "")) {
    m.End(0);
    return;
  }
  m.itemLists.erase(items);
  m.End(0);
}

// ---------------------------------------------------------------- system calls

bool SimMachine::GetOsVersion(OsVersion& out) {
  out = OsVersion();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::GetOsVersion, "")) return m.Fail(*fault);
  out = m.version;
  return m.Succeed();
}

bool SimMachine::UserName(std::uint32_t capacity, std::string& name) {
  name.clear();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::UserName, "")) return m.Fail(*fault);
  if (m.userName.size() >= capacity) return m.Fail(winerr::kInsufficientBuffer);
  name = m.userName;
  return m.Succeed();
}

// ---------------------------------------------------------------- wildcards

// Matches the way Wine's directory search does: '*' any run of characters,
// '?' exactly one, other characters without regard to case; once the name
// is used up, any '.' and '*' left in the pattern match nothing. So "*.*"
// also matches names without a dot, and "Data*.*" every name that begins
// with "Data".
bool WildcardMatch(const std::string& pattern, const std::string& name) {
  const std::size_t none = std::string::npos;
  std::size_t p = 0, n = 0, starP = none, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' ||
                std::tolower(static_cast<unsigned char>(pattern[p])) ==
                    std::tolower(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (starP != none) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '.')) ++p;
  return p == pattern.size();
}

// ---------------------------------------------------------------- wide calls

bool SimMachine::SpecialFolderPathWide(int csidlFolder, std::string& utf8) {
  return m_impl->SpecialFolder(csidlFolder, utf8, true);
}

bool SimMachine::UserNameWide(std::string& utf8) {
  utf8.clear();
  Impl& m = *m_impl;
  if (auto fault = m.Begin(Call::UserNameWide, "")) return m.Fail(*fault);
  if (m.windows9x) return m.Fail(winerr::kCallNotImplemented);
  if (m.userName.size() > 256) return m.Fail(winerr::kInsufficientBuffer);
  utf8 = Utf8FromAnsi(m.userName);
  return m.Succeed();
}

AnsiSpelling SimMachine::SpellInAnsi(const std::string& utf8, std::string& ansi) {
  Impl& m = *m_impl;
  const std::optional<long> fault = m.Begin(Call::SpellInAnsi, utf8);
  // An exact conversion looks nothing up, and cannot fail.
  if (AnsiFormOf(utf8, ansi)) return m.Succeed(), AnsiSpelling::Exact;
  std::string shortPath;
  SimPath p;
  const bool found = !fault && m.Resolve(utf8, p) && m.WideLookup(p, &shortPath);
  // Without short names the short path is the long one, which does not convert.
  if (found && AnsiFormOf(shortPath, ansi)) return m.Succeed(), AnsiSpelling::Short;
  ansi.clear();
  m.Fail(fault ? *fault : found ? winerr::kNoUnicodeTranslation : winerr::kFileNotFound);
  return AnsiSpelling::None;
}

void SimMachine::Sleep(std::uint32_t ms) { m_impl->clock += ms, m_impl->EndHolds(false); }

std::uint32_t SimMachine::TickCount() { return m_impl->clock; }
