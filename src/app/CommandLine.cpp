#include "app/CommandLine.h"

#include <QCommandLineParser>

#include "appcore/ProfileStore.h"
#include "core/HelpText.h"
#include "core/ProgramTexts.h"
#include "core/StringTable.h"
#include "ui/QtText.h"

namespace orv {

bool IsTimeoutOption(const QString& arg) {
    return arg.size() <= 3 && arg.size() >= 2 &&
           (arg[0] == QLatin1Char('/') || arg[0] == QLatin1Char('-')) &&
           (arg[1] == QLatin1Char('D') || arg[1] == QLatin1Char('d'));
}

OrvCommandLine ParseOrvCommandLine(QStringList arguments) {
    OrvCommandLine cl;
    // The time-out option and --demo are read before the parser sees the
    // rest, as they always were; after "--" everything is a file name.
    qsizetype end = arguments.indexOf(QStringLiteral("--"));
    QStringList rest = end < 0 ? QStringList() : arguments.mid(end);
    QStringList options = end < 0 ? arguments : arguments.mid(0, end);
    options.removeIf(IsTimeoutOption);
    cl.demo = CDemoMode::TakeOption(options);

    QCommandLineParser parser;
    QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version});
    if (!parser.parse(QStringList{QStringLiteral("orv")} + options + rest)) {
        cl.action = OrvCommandLine::Action::UsageError;
        cl.error = parser.errorText();
        return cl;
    }
    if (parser.isSet(help)) {
        cl.action = OrvCommandLine::Action::Help;
        return cl;
    }
    if (parser.isSet(version)) {
        cl.action = OrvCommandLine::Action::Version;
        return cl;
    }
    QStringList files = parser.positionalArguments();
    files.removeAll(QString());
    if (files.size() > 1) {
        cl.action = OrvCommandLine::Action::UsageError;
        cl.error = FormatQString(IDM_ORV_ONE_FILE, files[1]);
        return cl;
    }
    if (!files.isEmpty()) {
        cl.file = files.constFirst();
    }
    return cl;
}

QString OrvHelpText() {
    auto text = [](int id) { return LoadString(id); };
    std::string help = text(IDS_ORV_USAGE) + "\n" + WrapText(text(IDS_ABOUT_PURPOSE)) + "\n";
    help += FormatHelpSections({
        {"",
         {
             {"FILE", text(IDS_ORV_HELP_FILE)},
         }},
        {text(IDS_HELP_OPTIONS),
         {
             {"/D<DIGIT>", text(IDS_ORV_HELP_TIMEOUT)},
             {"--demo[=MODEL]", text(IDS_ORV_HELP_DEMO)},
             {"-h, --help", text(IDS_HELP_HELP)},
             {"--version", text(IDS_HELP_VERSION)},
             {"--", text(IDS_HELP_END_OF_OPTIONS)},
         }},
    });
    help += "\n";
    help += FormatHelpSections({{text(IDS_HELP_EXIT_STATUS),
                                 {
                                     {"0", text(IDS_ORV_EXIT_OK)},
                                     {"1", text(IDS_ORV_EXIT_NOT_STARTED)},
                                     {"2", text(IDS_HELP_EXIT_USAGE)},
                                 }}});
    help += "\n" + text(IDS_HELP_SETTINGS) + "\n  " + StdStr(OpenUserProfile()->fileName()) + "\n";
    return QStr(help);
}

}  // namespace orv
