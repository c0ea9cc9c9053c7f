// Reading whole files and replacing an output file without ever leaving half of one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the whole file. On failure returns false and a reason such as
// "No such file or directory" in `problem`.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* problem);

// Writes `bytes` to a new file beside `path` and then renames it over `path`,
// so that readers see either the old file or the complete new one. On failure
// the temporary file is removed, `path` is as it was, and `problem` says why.
bool ReplaceFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, std::string* problem);

// The last component of a path, after any directory separator.
std::string FileNameOf(const std::string& path);

// Whether both paths name one existing file (links and other spellings included).
bool SameFile(const std::string& first, const std::string& second);

// Paths are UTF-8 throughout the tool; Windows gets them as UTF-16.
