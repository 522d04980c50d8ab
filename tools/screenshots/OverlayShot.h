// The keyboard overlay editor with a few keys filled in, for the README.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace orv {
class CORVApp;
}

// Switches to the Pelliro, opens a sample overlay made in workFolder and saves
// the main window through save as overlay-editor.png in outFolder.
bool ShootOverlayEditor(orv::CORVApp& app, const QString& workFolder, const QString& outFolder,
                        const std::function<bool(QWidget*, const QString&)>& save);
