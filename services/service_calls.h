// Every call of IWindowsServices, listed once as RMLC_SERVICE_CALL(result,
// name, (parameters)); each stands for one ANSI Windows call (or a tiny fixed
// group) and reports as it does: registry calls return error codes, the
// others a success flag with the code from LastError(). Paths are ANSI texts
// with backslashes. Included with the macro defined (no include guard); the
// list undefines it at its end.

// --- Registry (results are Windows error codes) ---
// RegOpenKeyExA(parent, path, 0, access, &out).
RMLC_SERVICE_CALL(long, OpenKey,
                  (RegKey parent, const std::string& path, std::uint32_t access, RegKey& out))
// RegQueryValueExA(key, name, ..., buffer of `capacity` bytes, &size). On 0,
// `data` holds the `size` bytes written (a string's NUL too, if stored with
// one); 234 (more data) when the value does not fit.
RMLC_SERVICE_CALL(long, QueryValue,
                  (RegKey key, const std::string& name, std::uint32_t capacity, std::string& data))
// RegEnumKeyExA(key, index, name buffer of `capacity` with its NUL, ...).
RMLC_SERVICE_CALL(long, EnumKey,
                  (RegKey key, std::uint32_t index, std::uint32_t capacity, std::string& name))
RMLC_SERVICE_CALL(long, DeleteKey, (RegKey parent, const std::string& name))  // RegDeleteKeyA
RMLC_SERVICE_CALL(long, DeleteValue, (RegKey key, const std::string& name))  // RegDeleteValueA
RMLC_SERVICE_CALL(long, CloseKey, (RegKey key))  // RegCloseKey

// --- Files (success flags; LastError() tells why a call failed) ---
RMLC_SERVICE_CALL(bool, SetCurrentDir, (const std::string& path))  // SetCurrentDirectoryA
// FindFirstFileA(pattern, &data); 0 when nothing can be enumerated. A wide
// search runs alongside, entry for entry, to fill FindData::nameNotAnsi;
// where it is not implemented (95, 98, Me), a "?" in the ANSI name does.
RMLC_SERVICE_CALL(FindHandle, FindFirst, (const std::string& pattern, FindData& out))
RMLC_SERVICE_CALL(bool, FindNext, (FindHandle find, FindData& out))  // FindNextFileA
RMLC_SERVICE_CALL(bool, CloseFind, (FindHandle find))  // FindClose
RMLC_SERVICE_CALL(bool, MakeDirectory, (const std::string& path))  // CreateDirectoryA(path, NULL)
RMLC_SERVICE_CALL(bool, CopyOneFile,
                  (const std::string& from, const std::string& to, bool failIfExists))  // CopyFileA
// MoveFileA: renames a file (read-only too) or a folder, never replacing one (183).
RMLC_SERVICE_CALL(bool, RenameFile, (const std::string& from, const std::string& to))
RMLC_SERVICE_CALL(bool, RemoveFile, (const std::string& path))  // DeleteFileA
RMLC_SERVICE_CALL(bool, RemoveDir, (const std::string& path))  // RemoveDirectoryA
// Clears a file's attributes, keeping its times, if it opens for reading;
// false, changing nothing, when it does not.
RMLC_SERVICE_CALL(bool, ClearFileAttributes, (const std::string& path))
RMLC_SERVICE_CALL(long, LastError, ())  // GetLastError

// --- Path identity, drives and the code page ---
// GetFullPathNameA into a 260-byte buffer; `full` is empty when it fails.
RMLC_SERVICE_CALL(bool, FullPathName, (const std::string& path, std::string& full))
// GetLongPathNameA into a 260-byte buffer; fails when the path is not there.
// Where the system lacks it (95, NT 4.0), FindFirstFileA per component.
RMLC_SERVICE_CALL(bool, LongPathName, (const std::string& path, std::string& longPath))
// CreateFileA(path, no access, full sharing, OPEN_EXISTING, backup
// semantics, so folders open too), GetFileInformationByHandle, CloseHandle;
// `out` is zeroed on failure. It always fails on 95, 98 and Me (no folder
// opens, FILE_SHARE_DELETE is refused): callers compare paths there.
RMLC_SERVICE_CALL(bool, IdentityOf, (const std::string& path, FileIdentity& out))
// GetDriveTypeA(rootPath), rootPath like "C:\" or "\\server\share\".
RMLC_SERVICE_CALL(unsigned, DriveType, (const std::string& rootPath))
// GetACP, and IsDBCSLeadByteEx for every byte value in that code page.
RMLC_SERVICE_CALL(AnsiCodePage, CodePage, ())

// --- Shell ---
// SHGetSpecialFolderPathA(no owner, 260 bytes, folder, no creation); empty
// on failure. Where the shell lacks it (95, NT 4.0 without the desktop
// update), SHGetSpecialFolderLocation and SHGetPathFromIDListA.
RMLC_SERVICE_CALL(bool, SpecialFolderPath, (int csidlFolder, std::string& path))
// GetEnvironmentVariableA(name, 32767 bytes); empty when not set.
RMLC_SERVICE_CALL(bool, EnvironmentVariable, (const std::string& name, std::string& value))
// GetProfilesDirectoryA, found at run time in userenv.dll; fails before
// major version 5, which lacks it.
RMLC_SERVICE_CALL(bool, ProfilesDirectory, (std::string& path))
// SHFileOperationA(wFunc, pFrom: paths each ended by a NUL and the list by
// a second one, no pTo, fFlags); its result, 0 for success.
RMLC_SERVICE_CALL(int, ShellFileOperation,
                  (WindowHandle owner, unsigned operation, const char* fromList, unsigned flags))
RMLC_SERVICE_CALL(bool, ComInitialize, ())  // CoInitialize(NULL) succeeded (S_OK or S_FALSE)
RMLC_SERVICE_CALL(void, ComUninitialize, ())  // CoUninitialize
// SHBrowseForFolderA with a zeroed BROWSEINFOA but for hwndOwner, ulFlags and
// lpszTitle. The owner stays disabled while the browser is open.
RMLC_SERVICE_CALL(ItemList, BrowseForFolder,
                  (WindowHandle owner, const std::string& title, unsigned flags))
// SHGetPathFromIDListA into a 260-byte buffer.
RMLC_SERVICE_CALL(bool, PathFromItemList, (ItemList items, std::string& path))
RMLC_SERVICE_CALL(void, FreeItemList, (ItemList items))  // CoTaskMemFree

// --- System ---
// GetVersionExA on a zeroed OSVERSIONINFOA of size 148; `out` stays zero on failure.
RMLC_SERVICE_CALL(bool, GetOsVersion, (OsVersion& out))
// GetUserNameA(buffer of `capacity`): the text up to its NUL; empty on failure.
RMLC_SERVICE_CALL(bool, UserName, (std::uint32_t capacity, std::string& name))

// --- Names the ANSI code page cannot spell (NT-based systems only) ---
// SHGetSpecialFolderPathW(no owner, 260 characters, folder, no creation),
// found at run time, as UTF-8. Fails with 120 on 95, 98 and Me, and where
// the shell lacks it (NT 4.0 without the desktop update).
RMLC_SERVICE_CALL(bool, SpecialFolderPathWide, (int csidlFolder, std::string& utf8))
// GetUserNameW (257 characters), found at run time, as UTF-8; fails with
// 120 on 95, 98 and Me.
RMLC_SERVICE_CALL(bool, UserNameWide, (std::string& utf8))
// How the ANSI calls can name a path given in UTF-8 (`ansi` empty for None).
RMLC_SERVICE_CALL(AnsiSpelling, SpellInAnsi, (const std::string& utf8, std::string& ansi))

// --- Time, for waiting out another program's brief hold on a file ---
RMLC_SERVICE_CALL(void, Sleep, (std::uint32_t milliseconds))  // Sleep
RMLC_SERVICE_CALL(std::uint32_t, TickCount,
                  ())  // GetTickCount: milliseconds, wrapping after 49.7 days

#undef RMLC_SERVICE_CALL
