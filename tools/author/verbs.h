// The verbs of glimmora-author, and the exit codes and messages they share.
#pragma once

#include <string>

enum ExitCode {
    ExitSuccess = 0,
    ExitBadInput = 1,     // a file or value that cannot be used
    ExitUsage = 2,        // the command line itself is wrong
    ExitWriteFailed = 3,  // everything was fine but the output could not be written
};

// Prints "glimmora-author: <problem>" on stderr and returns `code`.
int Complain(int code, const std::string& problem);

// The exit code table, shared by every help text.
void PrintExitCodes();

// Each receives the arguments that follow its verb.
int RunCreate(int count, char** arguments);
int RunInspect(int count, char** arguments);
