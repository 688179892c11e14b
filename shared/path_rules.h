// Pure path rules: no services, no state, safe on any input. Each walks the
// text by character in the code page given (the single-byte default suits ASCII).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "services/services.h"

// The longest path the ANSI file calls take (MAX_PATH less its NUL), and the
// SHFileOperation source list: one path in MAX_PATH characters, two NULs after it.
constexpr std::size_t kMaxFilePath = 259;
constexpr std::size_t kSourceListCapacity = kMaxFilePath + 1;

// The students folder that belongs to a location: the text in front of the
// location's first backslash (normally the drive) + "\MLC Students";
// "C:\MLC Students" when no location is known.
std::string StudentsFolderFor(const std::string& location,
                              const AnsiCodePage& codePage = AnsiCodePage());

// The text with every trailing backslash (or slash, which Windows reads as
// one) dropped ("D:\" gives "D:", "\" gives "").
std::string WithoutTrailingBackslashes(const std::string& path,
                                       const AnsiCodePage& codePage = AnsiCodePage());

// The folder a location names, as the removal tests and deletes it: trailing
// backslashes dropped, except that a root keeps one ("D:\\" gives "D:\").
std::string FolderPathOf(const std::string& location,
                         const AnsiCodePage& codePage = AnsiCodePage());

// Drops the last path component: keeps what stands in front of the last
// backslash; a text without a backslash becomes empty.
std::string DropLastComponent(const std::string& path,
                              const AnsiCodePage& codePage = AnsiCodePage());

// The folder that holds `path` ("C:\a\b" gives "C:\a", "C:\a" gives "C:\");
// empty when there is none.
std::string ParentFolderOf(const std::string& path,
                           const AnsiCodePage& codePage = AnsiCodePage());

// The per-user folder derived from a shared one: three components dropped,
// then "\" + user name + lastPart (lastPart is "\Desktop\" or "\Start Menu\").
// Empty when nothing stands in front of the dropped components (fewer than
// three backslashes): such a folder has no drive and names no one folder.
std::string DerivePerUserFolder(const std::string& folder, const std::string& userName,
                                const std::string& lastPart,
                                const AnsiCodePage& codePage = AnsiCodePage());

// A comparable form of a path: ASCII lower case, doubled and trailing
// backslashes dropped, "." and ".." components resolved, trailing dots and
// blanks of each component dropped. A drive root becomes "x:"; the root of the
// current drive (or an empty path) becomes "".
std::string ComparablePath(const std::string& path,
                           const AnsiCodePage& codePage = AnsiCodePage());

// True for a path that names a drive root, the root of the current drive, a
// bare network share or nothing at all.
bool IsRootPath(const std::string& path, const AnsiCodePage& codePage = AnsiCodePage());

// True when deleting `target` would delete a drive root, a wildcard match, a
// device-namespace path ("\\.\", "\\?\"), an administrative share ("\\host\C$"), one of the
// `protectedFolders` (empty entries are ignored) or a folder that contains one
// of them. A target without a drive ("\Windows") is compared with the
// protected folders without their drives as well.
bool IsProtectedFolder(const std::string& target,
                       const std::vector<std::string>& protectedFolders,
                       const AnsiCodePage& codePage = AnsiCodePage());

// Writes `path` followed by two NULs into `buffer` of kSourceListCapacity
// characters. Returns false, writing nothing, when it does not fit.
bool BuildSourceList(const std::string& path, char (&buffer)[kSourceListCapacity]);

// The path with every run of inner backslashes made one, as Windows reads it
// (a network path keeps its two leading ones): the ANSI calls measure the
// text against their length limit, so built paths are passed on in this form.
std::string WithSingleSeparators(const std::string& path,
                                const AnsiCodePage& codePage = AnsiCodePage());
