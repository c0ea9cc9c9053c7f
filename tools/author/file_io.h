// Reading whole files, writing outputs without ever leaving half of one or
// replacing someone's file, and leaving nothing behind when interrupted.
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
// An interrupted run removes the temporary file too.
bool ReplaceFileSafely(const std::string& path, const std::vector<uint8_t>& bytes, std::string* problem);

// The last component of a path, after any directory separator.
std::string FileNameOf(const std::string& path);

// Whether both paths name one existing file (links and other spellings included).
bool SameFile(const std::string& first, const std::string& second);

// What a verb may write over without --force: an existing file of the kind
// it writes, made by this tool.
struct OutputRule {
    const char* Kind;  // for the refusal: "a saver", "a package made by glimmora-author"
    bool (*MayReplace)(const std::vector<uint8_t>& existing, const std::vector<uint8_t>& output);
};

struct NamedInput {
    const char* Role;  // "runtime", "logo", ...
    std::string Path;
};

struct OutputTarget {
    std::string Path;
    std::vector<NamedInput> Inputs;  // never written over, not even with --force
    bool Force;                      // replace any other file
    OutputRule Rule;
};

// Why `output` may not be written to the target, or empty: the target is one
// of the inputs, a folder or a device, or a file that the rule does not let
// the verb replace (then "--force replaces it" ends the text).
std::string OutputRefusal(const OutputTarget& target, const std::vector<uint8_t>& output);

// From here on, an interrupted run (SIGINT, SIGTERM, SIGHUP; on Windows
// Ctrl+C, Ctrl+Break and a closed console) stops its helper program, removes
// the temporary files and folders it holds, and exits with 128 + the signal's
// number: 130, 143, 129. Signals that were ignored when the tool started stay
// ignored. Called once, at the start.
void CleanUpWhenInterrupted();

#ifndef _WIN32

// A private folder in the system's temporary folder ($TMPDIR, else /tmp),
// named prefix-XXXXXX, removed with everything in it by RemoveTemporaryFolder
// or an interrupt.
bool MakeTemporaryFolder(const std::string& prefix, std::string* folder, std::string* problem);
void RemoveTemporaryFolder(const std::string& folder);

// The first executable `program` in PATH's folders, or empty.
std::string FindOnPath(const std::string& program);

// Runs `program` with `arguments` in `workingFolder` (empty: this process's
// own), its standard output and error written to the files `outputLog` and
// `errorLog` (empty: discarded; the same path: one file), and waits for it;
// an interrupt stops it first. True when it ran and exited with 0.
bool RunHelperProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& workingFolder, const std::string& outputLog, const std::string& errorLog);

// The first or the last line of a log that is not empty; empty when none.
std::string LogLine(const std::string& log, bool last);

#endif

// Paths are UTF-8 throughout the tool; Windows gets them as UTF-16.
