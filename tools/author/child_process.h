// Running another program to its end beside a private folder: wixl for the
// msi verb, osslsigncode for sign. POSIX only: the tool's Windows builds run
// neither.
#pragma once

#include <string>
#include <vector>

// The first executable `program` in PATH's folders, or empty.
std::string FindOnPath(const std::string& program);

// A new folder that only this user can enter, under TMPDIR (else /tmp), its
// name starting with `prefix`; empty on failure, with `problem` set.
std::string MakePrivateFolder(const std::string& prefix, std::string* problem);

// Removes the folder with the named files in it.
void RemovePrivateFolder(const std::string& folder, const std::vector<std::string>& files);

// Runs `program` with `arguments` (the first names it) in `workingFolder`
// (empty: this process's own), its standard output and error written to the
// files `outputLog` and `errorLog` (empty: discarded; the same path: one
// file). Its exit status, or -1 when it did not run or end normally.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments, const std::string& workingFolder,
               const std::string& outputLog, const std::string& errorLog);

// The first or the last line of a log that is not empty; empty when none.
std::string LogLine(const std::string& log, bool last);
