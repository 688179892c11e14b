// tree_gen: writes a seeded student-data tree into a new Unix folder.
//   tree_gen ROOT [files=N] [depth=N] [fanout=N] [seed=N] [min=BYTES] [max=BYTES]
// Prints one line: files, folders and bytes written.
#include <cstdio>
#include <string>

#include <sys/stat.h>

#include "bench/tree_gen.h"

int main(int argc, char** argv) {
  TreeShape shape;
  if (argc < 2) {
    std::fprintf(stderr, "usage: tree_gen ROOT [files= depth= fanout= seed= min= max= readonly=]\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    if (!ReadShapeOption(argv[i], shape)) {
      std::fprintf(stderr, "tree_gen: bad option %s\n", argv[i]);
      return 2;
    }
  }
  if (shape.minSize == 0 || shape.maxSize < shape.minSize) {
    std::fprintf(stderr, "tree_gen: need 0 < min <= max\n");
    return 2;
  }
  if (mkdir(argv[1], 0755) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  const std::vector<TreeEntry> plan = PlanTree(shape);
  std::string error;
  if (!WriteTreeToDisk(plan, argv[1], error)) {
    std::fprintf(stderr, "tree_gen: %s\n", error.c_str());
    return 1;
  }
  const TreeTotals totals = Totals(plan);
  std::printf("%d files, %d folders, %llu bytes\n", totals.files, totals.folders,
              static_cast<unsigned long long>(totals.bytes));
  return 0;
}
