// The Windows error codes the program and its machines (real and simulated) use.
#pragma once

namespace winerr {
constexpr long kSuccess = 0;
constexpr long kFileNotFound = 2;
constexpr long kPathNotFound = 3;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kInvalidDrive = 15;         // a drive letter that is not mapped now
constexpr long kNoMoreFiles = 18;          // a search has ended
constexpr long kNotReady = 21;             // no disk in the drive
constexpr long kSharingViolation = 32;
constexpr long kLockViolation = 33;
constexpr long kBadNetPath = 53;
constexpr long kBadNetName = 67;
constexpr long kFileExists = 80;
constexpr long kInvalidParameter = 87;
constexpr long kCallNotImplemented = 120;  // 95, 98 and Me for most wide calls
constexpr long kInsufficientBuffer = 122;
constexpr long kInvalidName = 123;
constexpr long kShellNoSuchItems = 124;    // the shell's answer when an item's folder is missing
constexpr long kDirNotEmpty = 145;
constexpr long kBadPathName = 161;
constexpr long kAlreadyExists = 183;
constexpr long kEnvVarNotFound = 203;
constexpr long kFilenameTooLong = 206;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;
constexpr long kNotADirectory = 267;       // ERROR_DIRECTORY
constexpr long kKeyDeleted = 1018;
constexpr long kNoUnicodeTranslation = 1113;  // no exact spelling in the code page

// True for the codes that say a file or folder is not there (a malformed
// name included). A drive not ready, an unreachable share, an unmapped
// letter and every other failure cannot tell: the object may well exist.
inline bool IsAbsence(long error) {
  return error == kFileNotFound || error == kPathNotFound || error == kNoMoreFiles ||
         error == kInvalidName || error == kBadPathName;
}
}  // namespace winerr
