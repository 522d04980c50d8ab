#pragma once

#include <string>
#include <vector>

#include "core/Outcome.h"

namespace orv::cli {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoPort = 3;

// Runs one orv-cli command line (without the program name); returns the exit code.
int Run(const std::vector<std::string>& args);

int RunModels();

// Prints the messages of Qt-free work on standard error, a line each, as
// soon as the work returns; true when it succeeded.
bool PrintMessages(const Outcome& outcome);

// Prints "orv-cli: message" and the usage on standard error; returns kExitUsage.
int UsageError(const std::string& message);

}  // namespace orv::cli
