#include "cli/Commands.h"

#include <cstdio>

#include "core/Catalogue.h"

namespace orv::cli {

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: orv-cli [OPTIONS] save FILE\n"
        "       orv-cli [OPTIONS] restore FILE\n"
        "       orv-cli [OPTIONS] import-icons [--keep-aspect | --stretch] [--prepare-only] "
        "BITMAP[=NAME]...\n"
        "       orv-cli [OPTIONS] import-sound [--prepare-only] WAVFILE\n"
        "       orv-cli inspect FILE\n"
        "       orv-cli convert-icon [--keep-aspect | --stretch] BITMAP OUTPUT.bmp\n"
        "       orv-cli ports\n"
        "       orv-cli models\n"
        "OPTIONS: --port PORT  --model MODEL  --baud RATE  --timeout N\n",
        out);
}

}  // namespace

int RunModels() {
    std::printf("%-5s %-6s %-10s %-8s %s\n", "index", "id", "name", "default", "offered rates");
    for (int i = 0; i < kModelCount; ++i) {
        std::printf("%-5d %-6u %-10s %-8u", i, ModelIdOf(i), kModelNames[i],
                    kBaudRates[kDefaultBaudIndex[i]]);
        for (int slot = 0; slot < kBaudRateCount && kOfferedBaudIndices[i][slot] >= 0; ++slot) {
            std::printf("%s%u", slot == 0 ? " " : ", ", kBaudRates[kOfferedBaudIndices[i][slot]]);
        }
        std::printf("\n");
    }
    return kExitOk;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string& command = args[0];
    if (command == "models" && args.size() == 1) {
        return RunModels();
    }
    if (command == "--help" || command == "-h") {
        PrintUsage(stdout);
        return kExitOk;
    }
    std::fprintf(stderr, "orv-cli: unknown command or arguments: %s\n", command.c_str());
    PrintUsage(stderr);
    return kExitUsage;
}

}  // namespace orv::cli
