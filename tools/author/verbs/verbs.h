// The verbs of glimmora-author, and the exit codes and messages they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "images/logo_input.h"
#include "saver/saver_fields.h"

enum ExitCode {
    ExitSuccess = 0,
    ExitBadInput = 1,     // a file or value that cannot be used
    ExitUsage = 2,        // the command line itself is wrong
    ExitWriteFailed = 3,  // everything was fine but the output could not be written, or a helper program failed
};

// Prints "glimmora-author: <problem>" on stderr and returns `code`.
int Complain(int code, const std::string& problem);

// Prints "glimmora-author: warning: <text>" on stderr: the run goes on.
void Warn(const std::string& text);

// The exit code table, shared by every help text.
void PrintExitCodes();

// Reads a whole input file; complains "cannot read <role> <path>: <reason>".
int ReadInputFile(const std::string& role, const std::string& path, std::vector<uint8_t>* bytes);

// Writes the output if OutputRefusal allows it: exit 1 when it does not, 3
// when the writing fails.
int WriteOutput(const OutputTarget& target, const std::vector<uint8_t>& bytes);

// What create and set may write over: a saver.
extern const OutputRule SaverOutput;

// Reads the --config file, if one was given, under the options.
int ReadConfigFile(SaverChoices* choices);

// Reads --layout and --repack as ReadFieldOption reads its options.
bool ReadPackingOption(int count, char** arguments, int* index, LogoPacking* packing, bool* handled,
                       std::string* problem);

// The help lines of --layout and --repack.
const char* DescribePackingOptions();

// Prints "wrote <path>: <size>, <details>", with a warning on stderr when the
// saver is too large to send about comfortably.
void ReportSaverWritten(const std::string& path, size_t size, const std::string& details);

// Each receives the arguments that follow its verb.
int RunCreate(int count, char** arguments);
int RunInspect(int count, char** arguments);
int RunExtract(int count, char** arguments);
int RunSet(int count, char** arguments);
int RunMsi(int count, char** arguments);
int RunSign(int count, char** arguments);
