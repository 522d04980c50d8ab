#include "cli/Commands.h"

#include <QTemporaryDir>
#include <cstdio>

#include "appcore/PortList.h"
#include "appcore/ProfileStore.h"
#include "cli/FileReport.h"
#include "cli/MediaCommands.h"
#include "cli/Options.h"
#include "cli/TransferCommand.h"
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

bool IsTransferCommand(const std::string& command) {
    return command == "save" || command == "restore" || command == "import-icons" ||
           command == "import-sound";
}

}  // namespace

int UsageError(const std::string& message) {
    std::fprintf(stderr, "orv-cli: %s\n", message.c_str());
    PrintUsage(stderr);
    return kExitUsage;
}

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

int RunPorts() {
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    // Listing gives newly found devices COM numbers; orv-cli never writes the
    // profile, so the list works on a copy of the port map.
    QTemporaryDir scratchDir;
    QSettings scratch(scratchDir.filePath(QStringLiteral("ports.ini")), QSettings::IniFormat);
    profile->beginGroup(QStringLiteral("Ports"));
    for (const QString& key : profile->childKeys()) {
        scratch.setValue(QStringLiteral("Ports/") + key, profile->value(key));
    }
    profile->endGroup();
    for (const PortLine& line : ListPorts(scratch)) {
        std::printf("%s\n", line.Text().toLocal8Bit().constData());
    }
    return kExitOk;
}

int Run(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(stdout);
        return kExitOk;
    }
    std::string error;
    std::optional<CommandLine> cl = ParseCommandLine(args, error);
    if (!cl) {
        return UsageError(error);
    }
    const std::string& command = cl->command;
    if (cl->anyOption && !IsTransferCommand(command)) {
        return UsageError("options are for save, restore, import-icons and import-sound only");
    }
    if (command == "save" || command == "restore") {
        if (cl->operands.size() != 1 || cl->operands[0].rfind("--", 0) == 0) {
            return UsageError(command + " takes one FILE");
        }
        return RunTransfer(cl->options, command == "save" ? Save : Restore, cl->operands[0]);
    }
    if (command == "inspect") {
        if (cl->operands.size() != 1) {
            return UsageError("inspect takes one FILE");
        }
        return RunInspect(cl->operands[0], stdout);
    }
    if (command == "ports" && cl->operands.empty()) {
        return RunPorts();
    }
    if (command == "models" && cl->operands.empty()) {
        return RunModels();
    }
    if (command == "import-icons") {
        return RunImportIcons(*cl);
    }
    if (command == "import-sound") {
        return RunImportSound(*cl);
    }
    if (command == "convert-icon") {
        return RunConvertIcon(*cl);
    }
    return UsageError("unknown command or arguments: " + command);
}

}  // namespace orv::cli
