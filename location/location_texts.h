// The fixed texts, paths and registry key of finding and confirming the
// installation folder.
#pragma once

namespace texts {

// Confirmation of an installation folder.
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

// Installation location.
inline constexpr char kProductKeyForReading[] = "SOFTWARE\\Bellmont Learning Group\\Marlo Coach";
inline constexpr char kDefaultFolder[] = "C:\\Program Files\\Marlo Coach";
inline constexpr char kDefaultExe[] = "C:\\Program Files\\Marlo Coach\\MarloCoach.exe";

}  // namespace texts
