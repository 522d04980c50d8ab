// The user guide: an HTML page built into the program, opened in the
// system's browser.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace orv {

// Opens a URL for the user; replaceable so that tests see what would open.
using HelpOpener = std::function<bool(const QUrl& url)>;
void SetHelpOpener(HelpOpener opener);

// Writes the guide from the program's resources into the user's cache folder
// (a browser cannot read the resources) and returns its path; empty on failure.
QString ExtractHelpFile();

// Opens the guide. When it cannot be opened the user is told where it is.
bool OpenHelp();

}  // namespace orv
