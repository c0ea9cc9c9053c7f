// The verbs of glimmora-author, and the exit codes and messages they share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "saver/saver_fields.h"

enum ExitCode {
    ExitSuccess = 0,
    ExitBadInput = 1,     // a file or value that cannot be used
    ExitUsage = 2,        // the command line itself is wrong
    ExitWriteFailed = 3,  // everything was fine but the output could not be written, or a helper program failed
};

// Prints "glimmora-author: <problem>" on stderr and returns `code`.
int Complain(int code, const std::string& problem);

// The exit code table, shared by every help text.
void PrintExitCodes();

// Reads a whole input file; complains "cannot read <role> <path>: <reason>".
int ReadInputFile(const std::string& role, const std::string& path, std::vector<uint8_t>* bytes);

// Reads the --config file, if one was given, under the options.
int ReadConfigFile(SaverChoices* choices);

// Each receives the arguments that follow its verb.
int RunCreate(int count, char** arguments);
int RunInspect(int count, char** arguments);
int RunExtract(int count, char** arguments);
int RunSet(int count, char** arguments);
int RunMsi(int count, char** arguments);
int RunSign(int count, char** arguments);
