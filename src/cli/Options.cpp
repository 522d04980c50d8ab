#include "cli/Options.h"

#include <QCommandLineParser>
#include <QStringList>

#include "appcore/PortMap.h"
#include "core/Catalogue.h"
#include "core/Errors.h"

namespace orv::cli {

namespace {

std::optional<long> ParseNumber(const std::string& text) {
    if (!IsAllDigits(text, false) || text.size() > 9) {
        return std::nullopt;
    }
    return std::stol(text);
}

QCommandLineOption ValueOption(const char* name, const char* valueName) {
    return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName));
}

// Sets the transfer options from their texts; false with error on a bad one.
bool TakeTransferOptions(const QCommandLineParser& parser, CommandLine& cl, std::string& error) {
    const QString port = QStringLiteral("port");
    const QString model = QStringLiteral("model");
    const QString baud = QStringLiteral("baud");
    const QString timeout = QStringLiteral("timeout");
    for (const QString& name : {port, model, baud, timeout}) {
        cl.anyOption = cl.anyOption || parser.isSet(name);
    }
    if (parser.isSet(port)) {
        std::string value = parser.value(port).toLatin1().toStdString();
        if (value.find('/') != std::string::npos) {
            cl.options.devicePath = value;
        } else if (std::optional<int> n = PortMap::ParsePortName(value)) {
            cl.options.comPort = *n;
        } else {
            error = "bad port " + value + " (a device path, or COM1 to COM9)";
            return false;
        }
    }
    if (parser.isSet(model)) {
        std::string value = parser.value(model).toLatin1().toStdString();
        cl.options.modelIndex = ParseModel(value);
        if (!cl.options.modelIndex) {
            error = "unknown model " + value + " (see orv-cli models)";
            return false;
        }
    }
    if (parser.isSet(baud)) {
        std::string value = parser.value(baud).toLatin1().toStdString();
        cl.options.baudIndex = ParseBaud(value);
        if (!cl.options.baudIndex) {
            error = "bad baud rate " + value;
            return false;
        }
    }
    if (parser.isSet(timeout)) {
        std::string value = parser.value(timeout).toLatin1().toStdString();
        if (value.size() != 1 || value[0] < '1' || value[0] > '9') {
            error = "bad time-out " + value + " (a digit 1 to 9)";
            return false;
        }
        cl.options.timeoutMs = (value[0] - '0') * 1000;
    }
    return true;
}

}  // namespace

std::optional<int> ParseBaud(const std::string& text) {
    std::optional<long> n = ParseNumber(text);
    if (!n) {
        return std::nullopt;
    }
    for (int i = 0; i < kBaudRateCount; ++i) {
        if (kBaudRates[i] == static_cast<unsigned long>(*n)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    QCommandLineParser parser;
    parser.addOptions({
        QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}),
        QCommandLineOption(QStringLiteral("version")),
        ValueOption("port", "PORT"),
        ValueOption("model", "MODEL"),
        ValueOption("baud", "RATE"),
        ValueOption("timeout", "SECONDS"),
        QCommandLineOption(QStringLiteral("keep-aspect")),
        QCommandLineOption(QStringLiteral("stretch")),
        QCommandLineOption(QStringLiteral("crop")),
        QCommandLineOption(QStringLiteral("dither")),
        QCommandLineOption(QStringLiteral("no-dither")),
        QCommandLineOption(QStringLiteral("prepare-only")),
    });
    // Each byte becomes one character and back, so that file names which are
    // not valid in the locale's encoding arrive unchanged.
    QStringList list{QStringLiteral("orv-cli")};
    for (const std::string& arg : args) {
        list.append(QString::fromLatin1(arg.data(), static_cast<qsizetype>(arg.size())));
    }
    if (!parser.parse(list)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString& name = unknown.constFirst();
            error = "unknown option " + std::string(name.size() == 1 ? "-" : "--") +
                    name.toLatin1().toStdString();
        } else {
            error = parser.errorText().toLatin1().toStdString();
        }
        return std::nullopt;
    }

    CommandLine cl;
    cl.help = parser.isSet(QStringLiteral("help"));
    cl.version = parser.isSet(QStringLiteral("version"));
    if (!TakeTransferOptions(parser, cl, error)) {
        return std::nullopt;
    }
    // Of each group one flag at most.
    struct PictureFlag {
        const char* name;
        std::optional<IconFitting> fitting;
        std::optional<bool> dither;
    };
    const PictureFlag flags[] = {
        {"keep-aspect", IconFitting::KeepAspect, std::nullopt},
        {"stretch", IconFitting::Stretch, std::nullopt},
        {"crop", IconFitting::Crop, std::nullopt},
        {"dither", std::nullopt, true},
        {"no-dither", std::nullopt, false},
    };
    std::string fittingFlag;
    std::string ditherFlag;
    for (const PictureFlag& flag : flags) {
        if (!parser.isSet(QString::fromLatin1(flag.name))) {
            continue;
        }
        std::string& taken = flag.fitting ? fittingFlag : ditherFlag;
        const std::string name = std::string("--") + flag.name;
        if (!taken.empty()) {
            error = taken + " and " + name + " exclude each other";
            return std::nullopt;
        }
        taken = name;
        if (cl.pictureFlag.empty()) {
            cl.pictureFlag = name;
        }
        if (flag.fitting) {
            cl.fitting = flag.fitting;
        } else {
            cl.dither = flag.dither;
        }
    }
    cl.prepareOnly = parser.isSet(QStringLiteral("prepare-only"));

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        if (cl.help || cl.version) {
            return cl;
        }
        error = "no command";
        return std::nullopt;
    }
    cl.command = positional.constFirst().toLatin1().toStdString();
    for (qsizetype i = 1; i < positional.size(); ++i) {
        cl.operands.push_back(positional[i].toLatin1().toStdString());
    }
    return cl;
}

}  // namespace orv::cli
