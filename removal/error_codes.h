// Windows error codes that only the removal logic looks at.
#pragma once

namespace winerr {
constexpr long kNoMoreFiles = 18;   // ERROR_NO_MORE_FILES: a search has ended
constexpr long kInvalidDrive = 15;  // ERROR_INVALID_DRIVE
constexpr long kNotReady = 21;      // ERROR_NOT_READY: no disk in the drive
constexpr long kBadNetPath = 53;    // ERROR_BAD_NETPATH
constexpr long kBadNetName = 67;    // ERROR_BAD_NET_NAME
constexpr long kInvalidName = 123;  // ERROR_INVALID_NAME
constexpr long kBadPathName = 161;  // ERROR_BAD_PATHNAME
}  // namespace winerr
