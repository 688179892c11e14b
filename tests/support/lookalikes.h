// Neighbours named like the product, which every seeded installation has
// beside it: a removal that matches names by prefix, or cuts a path short,
// would take them along.
#pragma once

namespace lookalike {

constexpr char kFolder[] = "C:\\Program Files\\Marlo Coach Old";
constexpr char kFile[] = "C:\\MLC Students.txt";
constexpr char kShortcut[] = "Marlo Coach Old.lnk";                // on a desktop
constexpr char kProgramFolder[] = "Programs\\Marlo Coach Old";     // under a Start menu
constexpr char kBackupArchive[] = "Marlo Coach Saved Student Data.zip";  // beside the backup
constexpr char kProductKey[] = "SOFTWARE\\Bellmont Learning Group\\Marlo Reader";
constexpr char kUninstallEntry[] = "Marlo Coach Old";

}  // namespace lookalike
