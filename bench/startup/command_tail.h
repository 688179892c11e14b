// The part of a Windows command line after its first arguments, exactly as
// given, so that a launcher can pass it on unchanged.
#pragma once

// Skips `skip` arguments (separated by blanks; a quoted argument may hold
// blanks) and the blanks after them.
inline const char* CommandAfter(const char* line, int skip) {
  for (int i = 0; i < skip; ++i) {
    while (*line == ' ' || *line == '\t') ++line;
    bool quoted = false;
    while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
      if (*line == '"') quoted = !quoted;
      ++line;
    }
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}
