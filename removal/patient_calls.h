// The file calls that another program's brief hold can fail, tried again
// until the hold ends, within bounds. On Windows, virus scanners, the search
// indexer and sync clients open files just written or touched: for a moment
// a rename or a deletion fails (5, 32, 33), a folder whose files were just
// deleted is not yet empty (145) while one of them is still open elsewhere,
// and a deletion that succeeds may leave the name until the holder lets go.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "shared/run_context.h"

class PatientCalls {
 public:
  // One operation waits at most this long, in milliseconds; the staged
  // backup's final rename, of a folder full of files just written, longer.
  static constexpr std::uint32_t kOperationPatience = 10000;
  static constexpr std::uint32_t kStagedRenamePatience = 30000;
  // All waiting in one run together; after that each call is tried once.
  static constexpr std::uint32_t kRunPatience = 60000;

  // What one attempt found.
  enum class Attempt { Done, Held, Failed };

  explicit PatientCalls(RunContext& run) : m_run(run) {}

  // MoveFileA; a target that exists fails at once.
  bool Rename(const std::string& from, const std::string& to,
              std::uint32_t patience = kOperationPatience);
  // DeleteFileA, after clearing the file's attributes when `clearFirst`;
  // done once the name is gone, a file already gone included.
  bool RemoveFile(const std::string& path, bool clearFirst);
  // RemoveDirectoryA of a folder whose contents were just deleted; a folder
  // already gone is done.
  bool RemoveEmptiedFolder(const std::string& path);
  // CopyFileA(from, to, FALSE).
  bool CopyOnto(const std::string& from, const std::string& to);

  // Makes `attempt` until it is done or fails for another reason than a
  // hold, or the time is up; the detail line names `shown` while waiting.
  bool Persist(const std::string& shown, std::uint32_t patience,
               const std::function<Attempt()>& attempt);
  // A failed call's error as a hold (5, 32, 33; 145 for a folder just emptied) or not.
  Attempt Judge(long error, bool emptiedFolder = false);
  // The error of the last failed attempt (0 when none).
  long LastError() const { return m_error; }

 private:
  RunContext& m_run;
  long m_error = 0;
};
