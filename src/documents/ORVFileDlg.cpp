#include "documents/ORVFileDlg.h"

#include <QDir>
#include <QFileInfo>

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "engine/Serial.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

namespace orv {

QStringList NameFiltersFromTable(const QString& table) {
    QStringList parts = table.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty()) {
            break;
        }
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'))) {
            // "*.*" means every file; here it would hide names without a dot.
            QString pattern = p.trimmed();
            if (pattern == QStringLiteral("*.*")) {
                pattern = QStringLiteral("*");
            }
            if (!pattern.isEmpty()) {
                patterns.append(pattern);
            }
        }
        // The description carries its patterns in brackets already; Qt reads
        // the patterns from there, so put them in the form it understands.
        int bracket = description.lastIndexOf(QStringLiteral(" ("));
        if (bracket > 0 && description.endsWith(QLatin1Char(')'))) {
            description.truncate(bracket);
        }
        filters.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return filters;
}

QString DefaultExtensionFromTable(const QString& table) {
    QString pattern = table.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0);
    return pattern.startsWith(QStringLiteral("*.")) ? pattern.mid(2).trimmed() : QString();
}

ChooserStart StartForLastFile(const QString& lastFilePath, bool offerFileName) {
    int slash = lastFilePath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return {};
    }
    ChooserStart start{lastFilePath.left(slash + 1),
                       offerFileName ? lastFilePath.mid(slash + 1) : QString()};
    QFileInfo folder(start.folder);
    if (!folder.isDir() || !folder.isReadable()) {
        // The folder is gone (a removed stick, a deleted folder): start at home.
        start = {QDir::homePath(), QString()};
    }
    return start;
}

CORVFileDlg::CORVFileDlg(Kind kind, const CORVSerialPort& engine, QWidget* parent)
    : QFileDialog(parent), m_kind(kind), m_engine(engine) {
    setObjectName(QStringLiteral("CORVFileDlg"));
    setAcceptMode(kind == Kind::Save ? AcceptSave : AcceptOpen);
    setFileMode(kind == Kind::Save ? AnyFile : ExistingFile);
    setOption(DontConfirmOverwrite, false);
}

void CORVFileDlg::SetUpForCommand(int commandId) {
    m_nCommandId = commandId;

    int filterId = m_engine.Format() == Text ? IDS_TEXT_FILTER : IDS_ORV_FILTER;
    QString table = LoadQString(filterId);
    setNameFilters(NameFiltersFromTable(table));
    setDefaultSuffix(DefaultExtensionFromTable(table));

    ChooserStart start =
        StartForLastFile(QStr(g_Globals.LastFilePath), commandId != ID_SAVE_MEMORY);
    if (!start.folder.isEmpty()) {
        setDirectory(start.folder);
    }
    if (!start.fileName.isEmpty()) {
        selectFile(start.fileName);
    }

    switch (commandId) {
        case ID_EDIT_OVERLAY:
            setWindowTitle(LoadQString(IDS_OPEN_OVERLAY_TITLE));
            setFileMode(ExistingFile);
            break;
        case ID_DELETE_FILE:
            setWindowTitle(LoadQString(IDS_DELETE_TITLE));
            setFileMode(ExistingFiles);
            setLabelText(Accept, LoadQString(IDS_DELETE_BUTTON));
            break;
        case ID_SAVE_MEMORY:
            setWindowTitle(LoadQString(IDS_SAVE_TITLE));
            break;
        case ID_RESTORE_MEMORY:
            setWindowTitle(LoadQString(IDS_RESTORE_TITLE));
            setFileMode(ExistingFile);
            setLabelText(Accept, LoadQString(IDS_RESTORE_BUTTON));
            break;
        case ID_RENAME_FILE:
            setWindowTitle(LoadQString(IDS_RENAME_TITLE));
            setFileMode(ExistingFile);
            setLabelText(Accept, LoadQString(IDS_RENAME_BUTTON));
            break;
        default:
            ORV_INTERNAL_ERROR();
            break;
    }
}

int CORVFileDlg::RunForCommand(int commandId) {
    SetUpForCommand(commandId);
    for (;;) {
        if (exec() != Accepted) {
            return 0;
        }
        // Saving asks before it creates a file that does not exist yet.
        if (commandId != ID_SAVE_MEMORY || QFileInfo::exists(PathName())) {
            return 1;
        }
        if (ShowMessageBox(FormatQString(IDM_CREATE_PROMPT, QDir::toNativeSeparators(PathName())),
                           QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::Yes, windowTitle()) == QMessageBox::Yes) {
            return 1;
        }
        selectFile(QFileInfo(PathName()).fileName());
    }
}

QString CORVFileDlg::PathName() const {
    return selectedFiles().value(0);
}

QStringList CORVFileDlg::PathNames() const {
    return selectedFiles();
}

}  // namespace orv
