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
#include "core/HelpText.h"
#include "core/ProgramTexts.h"
#include "core/StringTable.h"
#include "media/MediaTexts.h"

namespace orv::cli {

namespace {

std::string Text(int id) {
    return LoadString(id);
}

void PrintHelp(std::FILE* out) {
    std::string rates;
    for (int i = 0; i < kBaudRateCount; ++i) {
        rates += (i == 0 ? "" : ", ") + std::to_string(kBaudRates[i]);
    }
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    std::string help = Text(IDS_CLI_USAGE) + "\n" + WrapText(Text(IDS_CLI_PURPOSE)) + "\n";
    help += FormatHelpSections({
        {Text(IDS_CLI_COMMANDS),
         {
             {"save FILE", Text(IDS_CLI_HELP_SAVE)},
             {"restore FILE", Text(IDS_CLI_HELP_RESTORE)},
             {"import-icons PICTURE[=NAME]...", Text(IDS_CLI_HELP_IMPORT_ICONS)},
             {"import-sound WAVFILE", Text(IDS_CLI_HELP_IMPORT_SOUND)},
             {"inspect FILE", Text(IDS_CLI_HELP_INSPECT)},
             {"convert-icon PICTURE OUTPUT.bmp", Text(IDS_CLI_HELP_CONVERT_ICON)},
             {"ports", Text(IDS_CLI_HELP_PORTS)},
             {"models", Text(IDS_CLI_HELP_MODELS)},
         }},
        {Text(IDS_CLI_TRANSFER_OPTIONS),
         {
             {"--port PORT", Text(IDS_CLI_HELP_PORT)},
             {"--model MODEL", Text(IDS_CLI_HELP_MODEL)},
             {"--baud RATE", FormatString(IDS_CLI_HELP_BAUD, rates)},
             {"--timeout SECONDS", Text(IDS_CLI_HELP_TIMEOUT)},
         }},
        {Text(IDS_CLI_PICTURE_OPTIONS),
         {
             {"--keep-aspect", Text(IDS_CLI_HELP_KEEP_ASPECT)},
             {"--stretch", Text(IDS_CLI_HELP_STRETCH)},
             {"--crop", Text(IDS_CLI_HELP_CROP)},
             {"--dither", Text(IDS_CLI_HELP_DITHER)},
             {"--no-dither", Text(IDS_CLI_HELP_NO_DITHER)},
         }},
        {Text(IDS_CLI_PREPARE_OPTIONS), {{"--prepare-only", Text(IDS_CLI_HELP_PREPARE_ONLY)}}},
        {Text(IDS_HELP_OPTIONS),
         {
             {"-h, --help", Text(IDS_HELP_HELP)},
             {"--version", Text(IDS_HELP_VERSION)},
             {"--", Text(IDS_HELP_END_OF_OPTIONS)},
         }},
    });
    help += WrapText(Text(IDS_CLI_OPTIONS_ANYWHERE)) + "\n";
    help += FormatHelpSections({{Text(IDS_HELP_EXIT_STATUS),
                                 {
                                     {std::to_string(kExitOk), Text(IDS_CLI_EXIT_OK)},
                                     {std::to_string(kExitFailed), Text(IDS_CLI_EXIT_FAILED)},
                                     {std::to_string(kExitUsage), Text(IDS_HELP_EXIT_USAGE)},
                                     {std::to_string(kExitNoPort), Text(IDS_CLI_EXIT_NO_PORT)},
                                 }}});
    help += "\n" + Text(IDS_HELP_SETTINGS) + "\n  " + profile->fileName().toStdString() + "\n";
    std::fputs(help.c_str(), out);
}

bool IsTransferCommand(const std::string& command) {
    return command == "save" || command == "restore" || command == "import-icons" ||
           command == "import-sound";
}

bool IsMediaCommand(const std::string& command) {
    return command == "import-icons" || command == "import-sound" || command == "convert-icon";
}

}  // namespace

bool PrintMessages(const Outcome& outcome) {
    for (const UserMessage& message : outcome.Messages()) {
        std::fprintf(stderr, "%s\n", message.text.c_str());
    }
    return outcome.Ok();
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "%s\n", FormatString(IDM_USAGE_ERROR, "orv-cli", message).c_str());
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
    std::string error;
    std::optional<CommandLine> cl = ParseCommandLine(args, error);
    if (!cl) {
        return UsageError(error);
    }
    if (cl->help) {
        PrintHelp(stdout);
        return kExitOk;
    }
    if (cl->version) {
        std::printf("orv-cli %s\n", kProgramVersion);
        return kExitOk;
    }
    const std::string& command = cl->command;
    if (cl->anyOption && !IsTransferCommand(command)) {
        return UsageError("options are for save, restore, import-icons and import-sound only");
    }
    if ((!cl->pictureFlag.empty() || cl->prepareOnly) && !IsMediaCommand(command)) {
        return UsageError(
            "the picture options and --prepare-only are for import-icons, import-sound and "
            "convert-icon only");
    }
    if (command == "save" || command == "restore") {
        if (cl->operands.size() != 1) {
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
