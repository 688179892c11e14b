// Writing a planned tree into a Unix folder (for instance inside a Wine
// prefix's drive_c), and the command-line generator around it.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "bench/tree_gen.h"

bool WriteTreeToDisk(const std::vector<TreeEntry>& plan, const std::string& root,
                     std::string& error) {
  for (const TreeEntry& entry : plan) {
    const std::string path = root + "/" + entry.path;
    if (entry.folder) {
      if (mkdir(path.c_str(), 0755) != 0) {
        error = "cannot make folder " + path + ": " + std::strerror(errno);
        return false;
      }
      continue;
    }
    const std::string bytes = FileBytes(entry);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      error = "cannot write " + path;
      return false;
    }
    // Wine shows a file without write permission as read-only.
    if (entry.readOnly && chmod(path.c_str(), 0444) != 0) {
      error = "cannot make " + path + " read-only";
      return false;
    }
  }
  return true;
}
