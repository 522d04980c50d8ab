#include "cli/MediaCommands.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <optional>

#include "appcore/PictureReader.h"
#include "appcore/ProfileStore.h"
#include "cli/Commands.h"
#include "cli/TransferCommand.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"
#include "media/IconBitmapFile.h"
#include "media/IconImport.h"
#include "media/MediaTexts.h"
#include "media/SoundImport.h"

namespace orv::cli {

namespace {

struct MediaArgs {
    std::optional<IconFitting> fitting;  // unset: the desktop program's choice
    std::optional<bool> dither;          // unset: the desktop program's choice
    bool prepareOnly = false;
    std::vector<std::string> files;
};

// What a media command accepts besides its files.
struct MediaSyntax {
    bool pictureFlags;  // --keep-aspect, --stretch, --crop, --dither, --no-dither
    bool prepareFlag;   // --prepare-only
    size_t minFiles;
    size_t maxFiles;
    const char* filesText;  // how the usage error names the files
};

// The command's flags and its files. Nothing, once a usage error has been
// printed.
std::optional<MediaArgs> ParseMediaArgs(const CommandLine& cl, const MediaSyntax& syntax) {
    if (!cl.pictureFlag.empty() && !syntax.pictureFlags) {
        UsageError("unknown option " + cl.pictureFlag + " for " + cl.command);
        return std::nullopt;
    }
    if (cl.prepareOnly && !syntax.prepareFlag) {
        UsageError("unknown option --prepare-only for " + cl.command);
        return std::nullopt;
    }
    MediaArgs args;
    args.fitting = cl.fitting;
    args.dither = cl.dither;
    args.prepareOnly = cl.prepareOnly;
    args.files = cl.operands;
    if (args.files.size() < syntax.minFiles || args.files.size() > syntax.maxFiles) {
        UsageError(cl.command + " takes " + syntax.filesText);
        return std::nullopt;
    }
    return args;
}

// The flags, and for what they leave open the desktop program's choices.
IconChoices Choices(const MediaArgs& args) {
    IconChoices choices{args.fitting.value_or(IconFitting::KeepAspect), args.dither};
    if (args.fitting && args.dither) {
        return choices;
    }
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    QSettingsProfileStore store(*profile);
    LoadSettings(store, g_Globals);
    if (!args.fitting) {
        choices.fitting = g_Globals.CropToFill != 0            ? IconFitting::Crop
                          : g_Globals.MaintainAspectRatio != 0 ? IconFitting::KeepAspect
                                                               : IconFitting::Stretch;
    }
    if (!args.dither && g_Globals.DitherColours == 0) {
        choices.dither = false;
    }
    return choices;
}

struct IconToImport {
    std::string path;
    std::string name;
    std::vector<uint8_t> block;
};

// BITMAP=NAME splits at the last '=', so a path holding '=' can still be
// given with a name; without '=' the name is the one the file suggests.
IconToImport SplitIconOperand(const std::string& operand) {
    size_t eq = operand.rfind('=');
    if (eq == std::string::npos) {
        return {operand, DefaultIconName(operand), {}};
    }
    return {operand.substr(0, eq), operand.substr(eq + 1), {}};
}

// A name the device cannot take: the reason, and exit code 2.
int NameError(const IconToImport& icon, const std::string& message) {
    std::fprintf(stderr, "orv-cli: %s: %s\n", icon.path.c_str(), message.c_str());
    return kExitUsage;
}

}  // namespace

int RunImportIcons(const CommandLine& cl) {
    std::optional<MediaArgs> args =
        ParseMediaArgs(cl, {true, true, 1, SIZE_MAX, "one or more PICTURE[=NAME]"});
    if (!args) {
        return kExitUsage;
    }
    // Every name is checked and every picture converted before the import
    // file is touched, so a mistake leaves no half-made file behind.
    std::vector<IconToImport> icons;
    for (const std::string& operand : args->files) {
        IconToImport icon = SplitIconOperand(operand);
        if (icon.path.empty()) {
            return UsageError("no PICTURE before the name in " + operand);
        }
        if (int rule = CheckIconName(icon.name)) {
            return NameError(icon, LoadString(rule));
        }
        if (icon.name.size() > static_cast<size_t>(kMaxIconNameLength)) {
            return NameError(icon, FormatString(IDM_ICON_NAME_TOO_LONG, icon.name));
        }
        icons.push_back(std::move(icon));
    }
    const IconChoices choices = Choices(*args);
    for (IconToImport& icon : icons) {
        IconBitmap bitmap;
        if (!PrintMessages(LoadPictureIcon(icon.path, choices, bitmap))) {
            return kExitFailed;
        }
        icon.block = EncodeIconImage(bitmap);
        if (icon.block.empty()) {
            return kExitFailed;
        }
    }
    if (!PrintMessages(DeleteImportFile(kIconImportFileName))) {
        return kExitFailed;
    }
    for (const IconToImport& icon : icons) {
        if (!PrintMessages(AppendIconRecords(icon.name, icon.block))) {
            // Some icons without the rest would look like a finished import.
            PrintMessages(DeleteImportFile(kIconImportFileName));
            return kExitFailed;
        }
    }
    if (args->prepareOnly) {
        std::printf("%s:", kIconImportFileName);
        for (const IconToImport& icon : icons) {
            std::printf(" %s", icon.name.c_str());
        }
        std::printf("\n");
        return kExitOk;
    }
    return RunTransfer(cl.options, ImportIcons, kIconImportFileName);
}

int RunImportSound(const CommandLine& cl) {
    std::optional<MediaArgs> args = ParseMediaArgs(cl, {false, true, 1, 1, "one WAVFILE"});
    if (!args) {
        return kExitUsage;
    }
    const std::string& source = args->files.front();
    // The import's own message names only the import file; a sound that
    // cannot be read is named itself, with the reason.
    try {
        ::close(OpenRegularFile(source, O_RDONLY));
    } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return kExitFailed;
    }
    // The bytes go as they are; a file that is no WAV sound may be a mistake.
    if (!SoundLooksLikeWave(source)) {
        std::fprintf(stderr, "orv-cli: %s\n",
                     FormatString(IDM_SOUND_NOT_WAVE_WARNING, source).c_str());
    }
    if (!PrintMessages(DeleteImportFile(kSoundImportFileName)) ||
        !PrintMessages(WriteSoundRecords(source))) {
        return kExitFailed;
    }
    if (args->prepareOnly) {
        std::printf("%s: %s\n", kSoundImportFileName, source.c_str());
        return kExitOk;
    }
    return RunTransfer(cl.options, ImportSound, kSoundImportFileName, source);
}

int RunConvertIcon(const CommandLine& cl) {
    std::optional<MediaArgs> args =
        ParseMediaArgs(cl, {true, false, 2, 2, "PICTURE and OUTPUT.bmp"});
    if (!args) {
        return kExitUsage;
    }
    IconBitmap bitmap;
    if (!PrintMessages(LoadPictureIcon(args->files[0], Choices(*args), bitmap)) ||
        !PrintMessages(WriteIconBitmapFile(bitmap, args->files[1]))) {
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace orv::cli
