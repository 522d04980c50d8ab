// The icon and sound import flows of the main frame: each prepares its import
// file in the current folder and arms the engine with it.
#include <QFileDialog>
#include <QFileInfo>

#include "core/StringTable.h"
#include "documents/ORVFileDlg.h"
#include "frame/MainFrm.h"
#include "media/ImportFiles.h"
#include "media/SoundImport.h"
#include "mediaui/IconPropertiesDlg.h"
#include "ui/QtText.h"

namespace orv {

namespace {

// The folder of the last files chosen for an import, so that the next
// import starts where the user's pictures and sounds are.
QString g_lastImportFolder;

// An open-file chooser with the filter and title of the table; the chosen
// files, or none when cancelled.
QStringList ChooseImportFiles(QWidget* parent, int filterId, int titleId, bool several) {
    QFileDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("ImportChooser"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    QString table = LoadQString(filterId);
    dlg.setNameFilters(NameFiltersFromTable(table));
    dlg.setDefaultSuffix(DefaultExtensionFromTable(table));
    dlg.setWindowTitle(LoadQString(titleId));
    if (!g_lastImportFolder.isEmpty() && QFileInfo(g_lastImportFolder).isDir()) {
        dlg.setDirectory(g_lastImportFolder);
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
        return {};
    }
    g_lastImportFolder = QFileInfo(dlg.selectedFiles().front()).absolutePath();
    return dlg.selectedFiles();
}

}  // namespace

bool CMainFrame::OnImportIcons() {
    QStringList files = ChooseImportFiles(this, IDS_BITMAP_FILTER, IDS_BITMAP_CHOOSER_TITLE, true);
    // An import file that cannot be deleted would send its old icons again.
    if (files.isEmpty() || !DeleteImportFile(kIconImportFileName)) {
        return false;
    }
    CIconPropertiesDlg dlg(files, this);
    if (!dlg.Run()) {
        return false;
    }
    m_engine.ArmTransfer(kIconImportFileName, ImportIcons);
    ShowArmedTransfer();
    return true;
}

bool CMainFrame::OnImportSound() {
    QStringList files = ChooseImportFiles(this, IDS_SOUND_FILTER, IDS_SOUND_CHOOSER_TITLE, false);
    if (files.isEmpty() || !DeleteImportFile(kSoundImportFileName)) {
        return false;
    }
    std::string source = StdStr(files.front());
    if (!WriteSoundRecords(source)) {
        return false;
    }
    // The progress dialog names the sound, not the intermediate file.
    m_engine.SetSoundSourcePath(source);
    m_engine.ArmTransfer(kSoundImportFileName, ImportSound);
    ShowArmedTransfer();
    return true;
}

}  // namespace orv
