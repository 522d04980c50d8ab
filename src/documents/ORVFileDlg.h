// The file chooser of every file command: title, filter, default extension,
// starting folder and OK button text follow from the command.
#pragma once

#include <QFileDialog>
#include <QStringList>

namespace orv {

class CORVSerialPort;

class CORVFileDlg : public QFileDialog {
    Q_OBJECT
public:
    enum class Kind { Open, Save };

    // engine: its last transfer's format chooses the filter (text or ORV files).
    CORVFileDlg(Kind kind, const CORVSerialPort& engine, QWidget* parent = nullptr);

    // Sets the chooser up for the command and runs it: 1 for OK, 0 for Cancel.
    int RunForCommand(int commandId);

    int CommandId() const { return m_nCommandId; }
    // The chosen file, and all chosen files when several may be chosen.
    QString PathName() const;
    QStringList PathNames() const;

private:
    void SetUpForCommand(int commandId);

    Kind m_kind;
    const CORVSerialPort& m_engine;
    int m_nCommandId = 0;
};

// The chooser's filters from a filter text of "description|pattern" pairs
// ended by "||": Qt's "description (patterns)" form, patterns separated by
// blanks.
QStringList NameFiltersFromTable(const QString& table);
// The first pattern of such a text without its "*.": the default extension.
QString DefaultExtensionFromTable(const QString& table);

// Where a chooser starts: the folder of the last file used (or the home
// folder when that is gone) and the file name to offer.
struct ChooserStart {
    QString folder;
    QString fileName;
};
ChooserStart StartForLastFile(const QString& lastFilePath, bool offerFileName);

}  // namespace orv
