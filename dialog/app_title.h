// The application's title when it is given no name: the program file's name
// without its folder and without its extension ("C:\Tools\RemoveMLC.EXE"
// gives "RemoveMLC"). Portable, so that it is tested on any host.
#pragma once

#include <string>

inline std::string TitleFromModulePath(const std::string& modulePath) {
  const std::string::size_type slash = modulePath.find_last_of("\\/:");
  std::string name =
      slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}
