// The icon and sound import flows of the main frame: each prepares its import
// file in the current folder and arms the engine with it.
#include <QFileDialog>
#include <QFileInfo>

#include "appcore/PictureReader.h"
#include "core/StringTable.h"
#include "documents/ORVFileDlg.h"
#include "documents/YesNoDlg.h"
#include "frame/MainFrm.h"
#include "media/ImportFiles.h"
#include "media/MediaTexts.h"
#include "media/SoundImport.h"
#include "mediaui/IconPropertiesDlg.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

namespace orv {

namespace {

// The folder of the last files chosen for an import, so that the next
// import starts where the user's pictures and sounds are.
QString g_lastImportFolder;

// An open-file chooser with the filter table and title; the chosen files, or
// none when cancelled.
QStringList ChooseImportFiles(QWidget* parent, const QString& table, int titleId, bool several) {
    QFileDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("ImportChooser"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
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
    // Every picture that can be read is offered first; the bitmaps and all
    // files stay a choice away.
    QString filter = FormatQString(IDS_PICTURE_FILTER, QStr(PicturePatterns()));
    return ImportPictures(ChooseImportFiles(this, filter, IDS_PICTURE_CHOOSER_TITLE, true));
}

bool CMainFrame::ImportPictures(const QStringList& files) {
    // An import file that cannot be deleted would send its old icons again.
    if (files.isEmpty() || !ShowMessages(DeleteImportFile(kIconImportFileName))) {
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
    QStringList files =
        ChooseImportFiles(this, LoadQString(IDS_SOUND_FILTER), IDS_SOUND_CHOOSER_TITLE, false);
    if (files.isEmpty()) {
        return false;
    }
    std::string source = StdStr(files.front());
    // The bytes go as they are: a file that is no WAV sound is sent only when
    // the user means it.
    if (!SoundLooksLikeWave(source)) {
        CYesNoDlg ask(FormatQString(IDM_SOUND_NOT_WAVE, files.front()), this);
        if (ask.exec() != CYesNoDlg::IDYES) {
            return false;
        }
    }
    if (!ShowMessages(DeleteImportFile(kSoundImportFileName))) {
        return false;
    }
    // A sound cut to the devices' limit is told so, and still sent.
    if (!ShowMessages(WriteSoundRecords(source))) {
        return false;
    }
    // The progress dialog names the sound, not the intermediate file.
    m_engine.SetSoundSourcePath(source);
    m_engine.ArmTransfer(kSoundImportFileName, ImportSound);
    ShowArmedTransfer();
    return true;
}

}  // namespace orv
