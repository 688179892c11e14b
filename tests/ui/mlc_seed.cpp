// mlc_seed: seeds a product installation into the current machine (run it
// inside a private Wine prefix), for the demo and for trying things by hand.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ui/seed_installation.h"

namespace {

const char kUsage[] =
    "usage: mlc_seed [options]\n"
    "  --reset               only remove what a seeding made (and the desktop backup)\n"
    "  --demo                a student tree of a few hundred files\n"
    "  --classes N --students N --files N   size of the student tree\n"
    "  --install-folder PATH installation folder (default C:\\Program Files\\Marlo Coach)\n"
    "  --manifest PATH       write the student files (size, TAB, relative path) to PATH\n"
    "  --no-install-path --no-product-key --no-uninstall --no-product-files\n"
    "  --no-students --no-cache --no-mlc-students --no-shortcuts --no-derived\n"
    "  --no-neighbours       leave that part out\n";

struct Flag {
  const char* name;
  bool seed::SeedOptions::*member;
};
const Flag kFlags[] = {{"--no-install-path", &seed::SeedOptions::installPathValue},
                       {"--no-product-key", &seed::SeedOptions::productKey},
                       {"--no-uninstall", &seed::SeedOptions::uninstallEntries},
                       {"--no-product-files", &seed::SeedOptions::productFiles},
                       {"--no-students", &seed::SeedOptions::studentsFolder},
                       {"--no-cache", &seed::SeedOptions::cacheFolder},
                       {"--no-mlc-students", &seed::SeedOptions::mlcStudents},
                       {"--no-shortcuts", &seed::SeedOptions::shortcuts},
                       {"--no-derived", &seed::SeedOptions::derivedShortcuts},
                       {"--no-neighbours", &seed::SeedOptions::neighbours}};

bool ParseCount(const char* text, int& out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || value < 0 || value > 1000) return false;
  out = static_cast<int>(value);
  return true;
}

// Returns false on a bad command line.
bool Parse(int argc, char** argv, seed::SeedOptions& options, bool& resetOnly) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    bool known = false;
    for (const Flag& flag : kFlags)
      if (arg == flag.name) options.*flag.member = false, known = true;
    if (known) continue;
    if (arg == "--reset") {
      resetOnly = true;
    } else if (arg == "--demo") {
      options.classes = 6, options.studentsPerClass = 8, options.filesPerStudent = 6;
    } else if (next && arg == "--classes") {
      if (!ParseCount(argv[++i], options.classes)) return false;
    } else if (next && arg == "--students") {
      if (!ParseCount(argv[++i], options.studentsPerClass)) return false;
    } else if (next && arg == "--files") {
      if (!ParseCount(argv[++i], options.filesPerStudent)) return false;
    } else if (next && arg == "--install-folder") {
      options.installFolder = argv[++i];
    } else if (next && arg == "--manifest") {
      options.manifest = argv[++i];
    } else {
      return false;
    }
  }
  return !options.installFolder.empty();
}

}  // namespace

int main(int argc, char** argv) {
  seed::SeedOptions options;
  bool resetOnly = false;
  if (!Parse(argc, argv, options, resetOnly)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
  std::vector<seed::StudentFile> students;
  bool ok = resetOnly ? seed::ResetInstallation(options, error)
                      : seed::ResetAndSeedThisMachine(options, students, error);
  if (!ok) {
    std::fprintf(stderr, "mlc_seed: %s\n", error.c_str());
    return 1;
  }
  if (resetOnly) {
    std::printf("Removed the seeded installation.\n");
    return 0;
  }
  std::uint64_t bytes = 0;
  for (const auto& file : students) bytes += file.size;
  seed::ShortcutFolders folders;
  seed::ReadShortcutFolders(folders, error);
  std::printf("Seeded Marlo Coach in %s\n", options.installFolder.c_str());
  std::printf("Student files: %u (%llu bytes)\n", static_cast<unsigned>(students.size()),
              static_cast<unsigned long long>(bytes));
  std::printf("Desktops: %s | %s\nStart menus: %s | %s\n", folders.commonDesktop.c_str(),
              folders.userDesktop.c_str(), folders.commonStartMenu.c_str(),
              folders.userStartMenu.c_str());
  for (const auto& folder : folders.derivedDesktops) std::printf("Derived desktop: %s\n", folder.c_str());
  for (const auto& folder : folders.derivedStartMenus)
    std::printf("Derived Start menu: %s\n", folder.c_str());
  if (!options.manifest.empty()) std::printf("Manifest: %s\n", options.manifest.c_str());
  return 0;
}
