#include "app/Help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "core/StringTable.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

static void InitHelpResources() {
    Q_INIT_RESOURCE(orv);
}

namespace orv {
namespace {

HelpOpener& Opener() {
    static HelpOpener opener;
    return opener;
}

const QString kGuideResource = QStringLiteral(":/help/orv-guide.html");
const QString kGuideFileName = QStringLiteral("orv-guide.html");

}  // namespace

void SetHelpOpener(HelpOpener opener) {
    Opener() = std::move(opener);
}

QString ExtractHelpFile() {
    InitHelpResources();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return QString();
    }
    QString path = QDir(folder).filePath(kGuideFileName);
    QFile source(kGuideResource);
    QFile target(path);
    if (!source.open(QIODevice::ReadOnly) ||
        !target.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return QString();
    }
    QByteArray guide = source.readAll();
    if (target.write(guide) != guide.size() || !target.flush()) {
        return QString();
    }
    return path;
}

bool OpenHelp() {
    QString path = ExtractHelpFile();
    QUrl url = QUrl::fromLocalFile(path);
    bool opened = !path.isEmpty() && (Opener() ? Opener()(url) : QDesktopServices::openUrl(url));
    if (!opened) {
        ShowMessageBox(FormatQString(IDM_HELP_NOT_OPENED, path.isEmpty() ? kGuideFileName : path),
                       QMessageBox::Warning);
    }
    return opened;
}

}  // namespace orv
