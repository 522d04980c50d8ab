// orv-cli's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "media/IconFit.h"

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
    bool anyOption = false;  // one of the transfer options was given
    bool help = false;
    bool version = false;
    std::string command;
    std::vector<std::string> operands;  // the arguments after the command
    // The picture and import flags; which commands take them is the
    // command's affair.
    std::optional<IconFitting> fitting;  // --keep-aspect, --stretch or --crop
    std::optional<bool> dither;          // --dither (true) or --no-dither (false)
    std::string pictureFlag;             // the first of those flags given, as written
    bool prepareOnly = false;
};

// Parses the whole command line: options may stand before or after the
// command, "--" ends them. On a usage error returns nothing and sets error.
// With --help or --version the command may be missing.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

// --baud: a rate of kBaudRates, as its index.
std::optional<int> ParseBaud(const std::string& text);

}  // namespace orv::cli
