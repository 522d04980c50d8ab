// The desktop program.
#include <QApplication>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/ORVApp.h"
#include "core/HelpText.h"
#include "core/ProgramTexts.h"
#include "ui/QtText.h"

namespace {

constexpr int kExitNotStarted = 1;
constexpr int kExitUsage = 2;

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

// --help and --version need no display; their answer is printed at once.
bool AnsweredWithoutWindow(const orv::OrvCommandLine& cl) {
    if (cl.action == orv::OrvCommandLine::Action::Help) {
        std::fputs(orv::OrvHelpText().toLocal8Bit().constData(), stdout);
        return true;
    }
    if (cl.action == orv::OrvCommandLine::Action::Version) {
        std::printf("orv %s\n", orv::kProgramVersion);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnsweredWithoutWindow(orv::ParseOrvCommandLine(Arguments(argc, argv)))) {
        return 0;
    }
    QApplication qtApp(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) out by now.
    const QStringList arguments = QApplication::arguments().mid(1);
    orv::OrvCommandLine cl = orv::ParseOrvCommandLine(arguments);
    if (AnsweredWithoutWindow(cl)) {
        return 0;
    }
    if (cl.action == orv::OrvCommandLine::Action::UsageError) {
        std::fprintf(stderr, "%s\n",
                     orv::FormatQString(orv::IDM_USAGE_ERROR, QStringLiteral("orv"), cl.error)
                         .toLocal8Bit()
                         .constData());
        return kExitUsage;
    }
    orv::CORVApp app(arguments);
    int code = 0;
    if (app.InitInstance()) {
        code = QApplication::exec();
    } else if (!app.HandedOver()) {
        code = kExitNotStarted;
    }
    int exitCode = app.ExitInstance();
    return code != 0 ? code : exitCode;
}
