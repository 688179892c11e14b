// A machine that tests can seed and inspect: the simulated one natively, the
// real one (inside a scratch folder and a scratch registry key) under Wine.
// The contract suite is written once against this and runs on both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "services/services.h"

class ITestMachine {
 public:
  virtual ~ITestMachine() = default;

  virtual IWindowsServices& Services() = 0;
  // A folder that exists, is empty at the start of a test and belongs to it
  // alone, e.g. "C:\scratch\t1234"; no trailing backslash.
  virtual std::string ScratchFolder() = 0;
  // A registry path under HKEY_CURRENT_USER that exists, is empty at the
  // start of a test and belongs to it alone.
  virtual std::string ScratchKey() = 0;

  // Files.
  virtual bool PutFile(const std::string& path, const std::string& bytes) = 0;
  virtual bool GetFile(const std::string& path, std::string& bytes) = 0;
  virtual bool MakeFolder(const std::string& path) = 0;  // parents must exist
  virtual bool Exists(const std::string& path) = 0;
  virtual std::uint32_t Attributes(const std::string& path) = 0;  // 0xFFFFFFFF when missing
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool GetWriteTime(const std::string& path, std::uint64_t& time) = 0;  // FILETIME ticks
  virtual bool SetWriteTime(const std::string& path, std::uint64_t time) = 0;
  virtual std::string CurrentFolder() = 0;
  // Keeps the file open with no sharing until ReleaseHeld() (or the end of the test).
  virtual bool HoldOpen(const std::string& path) = 0;
  virtual void ReleaseHeld() = 0;
  // A file in `folder` whose name is given in UTF-8, so that it can be one
  // the ANSI code page cannot hold (as files made from the Linux side are).
  virtual bool PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name,
                                  const std::string& bytes) = 0;
  // A link at `link` (in the scratch folder) to the folder `target`. Under
  // Wine this is a Unix symbolic link; false when none can be made.
  virtual bool MakeFolderLink(const std::string& link, const std::string& target) = 0;
  // The path spelt with 8.3 names, as GetShortPathNameA gives it; empty when
  // it fails.
  virtual std::string ShortPath(const std::string& path) = 0;
  // True when the services work in ANSI code page `id`: the simulation
  // switches to it, the real machine only tells whether it was started in it.
  virtual bool UseCodePage(std::uint32_t id) = 0;
  // Sets an environment variable of the process that the services read.
  virtual bool SetEnvironment(const std::string& name, const std::string& value) = 0;
  // Original paths of everything in the Recycle Bin that came from under `folder`.
  virtual std::vector<std::string> RecycledFrom(const std::string& folder) = 0;

  // Registry (root is kHkeyCurrentUser or kHkeyLocalMachine).
  virtual bool CreateKey(RegKey root, const std::string& path) = 0;
  virtual bool SetStringValue(RegKey root, const std::string& path,
                              const std::string& name, const std::string& value) = 0;
  virtual bool SetBinaryValue(RegKey root, const std::string& path,
                              const std::string& name, const std::string& bytes) = 0;
  virtual bool KeyExists(RegKey root, const std::string& path) = 0;
  virtual bool ValueExists(RegKey root, const std::string& path, const std::string& name) = 0;
};

// The machine for this build: simulated natively, real under Windows/Wine.
std::unique_ptr<ITestMachine> MakeTestMachine();

// For seeding an installation where the program looks for it, the machine
// as a whole: no scratch folder or key (both are empty), and seeding may
// write anywhere, HKEY_LOCAL_MACHINE included.
// Natively: a simulated machine the caller has, which stays the caller's.
class SimMachine;
std::unique_ptr<ITestMachine> TestMachineOver(SimMachine& machine);
// Under Windows: the real machine.
std::unique_ptr<ITestMachine> MakeWholeMachine();
