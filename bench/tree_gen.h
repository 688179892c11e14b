// A seeded generator of student-data trees for the benchmarks: the same seed
// and shape always give the same folders, names and file sizes, on any host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SimMachine;

struct TreeShape {
  std::uint64_t seed = 1;
  int files = 1000;
  int depth = 3;              // levels of folders below the root
  int fanOut = 6;             // subfolders of each folder above the last level
  std::uint32_t minSize = 32;     // file sizes are spread evenly on a log scale
  std::uint32_t maxSize = 16384;  // between these two, both included
  int readOnlyPercent = 2;    // files marked read-only
};

// Reads one "key=value" option into `shape`: files, depth, fanout, seed,
// min, max or readonly. False for anything else or a negative value.
bool ReadShapeOption(const char* argument, TreeShape& shape);

struct TreeEntry {
  std::string path;  // relative to the tree's root, parts joined by '/'
  bool folder = false;
  std::uint32_t size = 0;
  bool readOnly = false;
};

// Folders first (each before anything inside it), then the files.
std::vector<TreeEntry> PlanTree(const TreeShape& shape);

// The bytes of a file of the plan: `size` bytes that depend on the path.
std::string FileBytes(const TreeEntry& file);

// Writes the plan below `root`, a Unix folder that must exist. False, with
// `error` set, when a folder or file cannot be made.
bool WriteTreeToDisk(const std::vector<TreeEntry>& plan, const std::string& root,
                     std::string& error);

// Seeds the plan below `root` (a Windows path) on the simulated machine.
// With `withBytes` false the files are stored empty, so that very large trees
// fit in memory; only the engine's work is measured then, not data copying.
bool WriteTreeToSim(const std::vector<TreeEntry>& plan, SimMachine& machine,
                    const std::string& root, bool withBytes);

struct TreeTotals {
  int files = 0;
  int folders = 0;
  std::uint64_t bytes = 0;
};
TreeTotals Totals(const std::vector<TreeEntry>& plan);
