// orv's command line: the serial time-out option /D<digit>, --demo[=MODEL],
// a FILE, --help and --version; "--" ends the options.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "demo/DemoMode.h"

namespace orv {

struct OrvCommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    QString error;  // what is wrong, for UsageError
    QString file;   // empty when none is given
    std::optional<CDemoMode::Option> demo;
};

// Whether arg is the serial time-out option ("/D5", "-d", ...), which is never
// taken for a file name.
bool IsTimeoutOption(const QString& arg);

// arguments: the command line without the program name.
OrvCommandLine ParseOrvCommandLine(QStringList arguments);

// What --help shows.
QString OrvHelpText();

}  // namespace orv
