#include "bench/tree_gen.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// splitmix64: small, fast, and the same on every compiler.
class Random {
 public:
  explicit Random(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

 private:
  std::uint64_t m_state;
};

std::uint64_t HashOf(const std::string& text) {
  std::uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string Numbered(const char* stem, int number, std::size_t width) {
  std::string digits = std::to_string(number);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return stem + digits;
}

const char* const kExtensions[] = {".dat", ".txt", ".prg", ".bmp", ".wav", ".ini"};

}  // namespace

bool ReadShapeOption(const char* argument, TreeShape& shape) {
  const char* equals = std::strchr(argument, '=');
  if (!equals) return false;
  const std::string key(argument, static_cast<std::size_t>(equals - argument));
  const long long value = std::atoll(equals + 1);
  if (value < 0) return false;
  if (key == "files") shape.files = static_cast<int>(value);
  else if (key == "depth") shape.depth = static_cast<int>(value);
  else if (key == "fanout") shape.fanOut = static_cast<int>(value);
  else if (key == "seed") shape.seed = static_cast<std::uint64_t>(value);
  else if (key == "min") shape.minSize = static_cast<std::uint32_t>(value);
  else if (key == "max") shape.maxSize = static_cast<std::uint32_t>(value);
  else if (key == "readonly") shape.readOnlyPercent = static_cast<int>(value);
  else return false;
  return true;
}

std::vector<TreeEntry> PlanTree(const TreeShape& shape) {
  Random random(shape.seed);
  std::vector<TreeEntry> plan;
  // Breadth first: each level's folders are made from the level above.
  std::vector<std::size_t> level;
  std::vector<std::size_t> folders;  // indexes into plan; the root is ""
  for (int depth = 1; depth <= shape.depth; ++depth) {
    std::vector<std::size_t> next;
    const std::size_t parents = depth == 1 ? 1 : level.size();
    for (std::size_t p = 0; p < parents; ++p) {
      const std::string base = depth == 1 ? std::string() : plan[level[p]].path + "/";
      for (int child = 0; child < shape.fanOut; ++child) {
        plan.push_back({base + Numbered(depth == 1 ? "Class " : "Student ", child + 1, 4), true, 0,
                        false});
        next.push_back(plan.size() - 1);
      }
    }
    folders.insert(folders.end(), next.begin(), next.end());
    level.swap(next);
  }
  const double spread = std::log(static_cast<double>(shape.maxSize) / shape.minSize);
  for (int file = 0; file < shape.files; ++file) {
    // Slot 0 is the root itself.
    const std::size_t slot = random.Below(folders.size() + 1);
    const std::string base = slot == 0 ? std::string() : plan[folders[slot - 1]].path + "/";
    TreeEntry entry;
    // Six digits: every name has the same shape up to a million files, a
    // long name with an 8.3 name beside it, so that trees of different
    // sizes cost the same per file.
    entry.path = base + Numbered("work", file, 6) + kExtensions[random.Below(6)];
    entry.size = static_cast<std::uint32_t>(shape.minSize * std::exp(spread * random.Unit()));
    entry.readOnly = static_cast<int>(random.Below(100)) < shape.readOnlyPercent;
    plan.push_back(entry);
  }
  return plan;
}

std::string FileBytes(const TreeEntry& file) {
  Random random(HashOf(file.path));
  std::string bytes(file.size, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>('a' + random.Below(26));
  return bytes;
}

TreeTotals Totals(const std::vector<TreeEntry>& plan) {
  TreeTotals totals;
  for (const TreeEntry& entry : plan) {
    if (entry.folder) {
      ++totals.folders;
    } else {
      ++totals.files;
      totals.bytes += entry.size;
    }
  }
  return totals;
}
