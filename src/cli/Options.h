// orv-cli's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orv::cli {

struct TransferOptions {
    std::optional<std::string> devicePath;  // --port with a path
    std::optional<int> comPort;             // --port COMn
    std::optional<int> modelIndex;
    std::optional<int> baudIndex;
    std::optional<int> timeoutMs;
};

struct CommandLine {
    TransferOptions options;
    bool anyOption = false;
    std::string command;
    std::vector<std::string> operands;  // what follows the command, flags included
};

// Parses the leading options and finds the command. On a usage error returns
// nothing and sets error.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

// --baud: a rate of kBaudRates, as its index.
std::optional<int> ParseBaud(const std::string& text);

}  // namespace orv::cli
