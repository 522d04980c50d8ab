// orv-devsim's command line: one scripted operation of a simulated device.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devsim/SimulatedDevice.h"

namespace orv::devsim {

constexpr int kExitCompleted = 0;
constexpr int kExitNotCompleted = 1;
constexpr int kExitUsage = 2;

struct CommandLine {
    uint32_t modelId = kDefaultModel;
    Script script;
    std::optional<std::filesystem::path> memoryFile;
    std::size_t sampleRecords = 300;
    uint32_t seed = 1;
    std::optional<std::filesystem::path> receivedFile;
    int waitOpenMs = 0;
    bool help = false;
};

// A model name (any case), an index 0-9 or a command ID 32771-32780.
std::optional<uint32_t> ParseModel(std::string_view text);

// Fills `out` from the arguments (without the program name). On a mistake
// returns false with the reason in `error`.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

const char* UsageText();

// Creates the device, prints the port path on the first line of standard
// output, runs the operation, reports it on standard error. Returns the exit code.
int RunCommandLine(const CommandLine& commandLine);

}  // namespace orv::devsim
