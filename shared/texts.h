// The program's fixed texts, paths, registry keys and shortcut tables.
#pragma once

namespace texts {

// The main window and the installation folder.
inline constexpr char kFoundText[] = "Marlo Coach Installation found.";
inline constexpr char kNotFoundText[] =
    "Unable to find your Marlo Coach folder.  Please browse to locate this folder, "
    "or click the \"Remove\" button to remove all other traces of the program "
    "(registry keys, etc).";
inline constexpr char kNotFoundLocation[] = "MLC Folder Not Found.";
inline constexpr char kExeName[] = "\\MarloCoach.exe";
inline constexpr char kConfirmLocation[] =
    "The \"MarloCoach.exe\" file was not found in this location.  "
    "Are you sure that this is your Marlo Coach folder?";
inline constexpr char kConfirmCaption[] = "Confirm Location.";
inline constexpr char kBrowsedFolderStatus[] =
    "Marlo Coach folder selected.  Please BE SURE that this is the correct location "
    "before continuing, as its contents will be COMPLETELY ERASED.";
inline constexpr char kBrowseTitle[] =
    "Please select the folder in which the Marlo Coach is installed.";
inline constexpr char kDefaultFolder[] = "C:\\Program Files\\Marlo Coach";
inline constexpr char kDefaultExe[] = "C:\\Program Files\\Marlo Coach\\MarloCoach.exe";

// The run.
inline constexpr char kTypedFolderStatus[] =
    "Marlo Coach folder selected.  Please BE SURE that this is the correct location "
    "and that there are no other Non-Marlo Coach files in this location before "
    "continuing, as ALL its contents will be COMPLETELY ERASED.";
inline constexpr char kPatience[] =
    "Please be patient, as this process can sometimes take a few minutes...click OK to continue.";
inline constexpr char kStep1[] = "Step 1 of 7: Copying student data to desktop...";
inline constexpr char kStep2[] = "Step 2 of 7: Deleting MLC Students folder...";
inline constexpr char kStep3[] = "Step 3 of 7: Deleting InstallShield folder...";
inline constexpr char kStep4[] = "Step 4 of 7: Deleting Marlo Coach folder...";
inline constexpr char kStep5[] = "Step 5 of 7: Deleting desktop shortcuts...";
inline constexpr char kStep6[] = "Step 6 of 7: Deleting Start Menu Shortcuts...";
inline constexpr char kStep7[] = "Step 7 of 7: Removing registry information...";
// The installer's cache folder: at this fixed path, and under the Program
// Files folder that Windows gives 32-bit programs (the ProgramFilesDir value
// of the CurrentVersion key) where that is another folder.
inline constexpr char kFixedProgramFiles[] = "C:\\Program Files";
inline constexpr char kInstallerCache[] =
    "C:\\Program Files\\InstallShield Installation Information\\"
    "{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}";
// What follows the Program Files folder in the cache's path.
inline constexpr const char* kInstallerCacheTail = kInstallerCache + sizeof kFixedProgramFiles - 1;
inline constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kProgramFilesDirValue[] = "ProgramFilesDir";
inline constexpr char kCouldNotDelete[] = "Could not delete: ";
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kFolderLine[] = "Folder: ";
inline constexpr char kFileLine[] = "File: ";
inline constexpr char kSuccess[] = "The Marlo Coach has been removed from your computer.";
inline constexpr char kSuccessCaption[] = "Success!";
inline constexpr char kLeftoversHeader[] =
    "Unable to remove the following components...please remove them manually:";

// Student-data backup.
inline constexpr char kBackupName[] = "Marlo Coach Saved Student Data";
inline constexpr char kStudentsName[] = "Students";
// A new backup is made under this name beside it and renamed once whole. No
// longer than the backup's own name, so that every path that fits in the
// backup fits in it too.
inline constexpr char kBackupStagingName[] = "Marlo Coach Data (incomplete)";
static_assert(sizeof kBackupStagingName <= sizeof kBackupName, "staging paths must fit");
// Each file is copied under this name at the top of the backup and moved to
// its own name only when it is whole. A valid 8.3 name (it has no short name of its
// own and fits volumes without long names) that no short name can equal:
// those end their first part in "~" and a digit.
inline constexpr char kCopyTemporaryName[] = "RMLC~CPY.TMP";
inline constexpr char kCopyFailed[] =
    "Unable to copy your student data.  Please copy manually, then try removing the "
    "installation again.  Contact BLG at (555)555-0142 if you have any questions.";
inline constexpr char kCouldNotDeleteFile[] = "Could not delete file: ";
inline constexpr char kCouldNotDeleteDirectory[] = "Could not delete directory: ";

// Shortcut sweep.
inline constexpr const char* kDesktopShortcuts[] = {
    "MarloCoach Administration.lnk",
    "Marlo Coach Administration.lnk",
    "MarloCoach Admin.lnk",
    "Marlo Coach Admin.lnk",
    "Shortcut to MarloCoach.exe.lnk",
    "Shortcut to Marlo Coach.exe.lnk",
    "Marlo Coach Videos.lnk",
    "Marlo Coach User's Guide.lnk",
    "Marlo Coach Administration.lnk",
    "Marlo Coach Students.lnk",
    "Marlo Coach Students Folder.lnk",
};
inline constexpr const char* kStartMenuShortcuts[] = {
    "Programs\\Marlo Coach\\Marlo Coach Administration.lnk",
    "Programs\\Marlo Coach\\Students Folder.lnk",
    "Programs\\Marlo Coach\\Training Videos.lnk",
    "Programs\\Marlo Coach\\Marlo Coach User's Guide.lnk",
    "Programs\\Marlo Coach\\Uninstall the Marlo Coach.lnk",
    "Programs\\Marlo Coach\\Marlo Coach Students.lnk",
    "Programs\\Marlo Coach\\Marlo Coach Students Folder.lnk",
    "Programs\\Marlo Coach\\Marlo Coach Videos.lnk",
    "Programs\\Marlo Coach\\Uninstall.lnk",
};
inline constexpr char kProgramFolderSuffix[] = "\\Programs\\Marlo Coach";
inline constexpr char kDesktopPart[] = "\\Desktop\\";
inline constexpr char kStartMenuPart[] = "\\Start Menu\\";

// The registry: the installation folder, and what step 7 removes.
inline constexpr char kInstallPathValue[] = "InstallPath";
inline constexpr char kProductKey[] = "SOFTWARE\\Bellmont Learning Group\\Marlo Coach";
inline constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kUninstallEntries[] = {
    "Marlo Coach",
    "MarloCoach",
    "{7F41A2D8-3B96-11D6-8C25-5A0E93C71B40}",
    "{6D2A9C31-58E4-4F07-9B1C-3E7A20D4F865}",
};
inline constexpr char kProductSubkeyLine[] =
    "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Bellmont Learning Group\\Marlo Coach\\";
inline constexpr char kInstallPathLine[] =
    "Registry Value: HKEY_LOCAL_MACHINE\\Software\\Bellmont Learning Group\\Marlo Coach, "
    "InstallPath";
// Followed by the name of the uninstall entry that is left.
inline constexpr char kUninstallLine[] =
    "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
    "Uninstall\\";

}  // namespace texts
