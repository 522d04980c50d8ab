#include "mediaui/IconPropertiesDlg.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QVBoxLayout>

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "media/IconImport.h"
#include "media/MediaTexts.h"
#include "mediaui/IconPreview.h"
#include "ui/ControlIds.h"
#include "ui/DialogButtons.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

namespace orv {

namespace {

// A label shows "&&" as one "&": a file name keeps its own ampersands.
QString LabelText(const std::string& label) {
    QString prefix = LoadQString(IDS_ICON_NAME_LABEL);
    QString name = QStr(label).mid(prefix.size());
    return prefix + name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

CIconPropertiesDlg::CIconPropertiesDlg(const QStringList& selection, QWidget* parent)
    : QDialog(parent),
      m_selection(selection),
      m_fitting(g_Globals.CropToFill != 0            ? IconFitting::Crop
                : g_Globals.MaintainAspectRatio != 0 ? IconFitting::KeepAspect
                                                     : IconFitting::Stretch),
      m_bDitherMany(g_Globals.DitherColours != 0) {
    setObjectName(ControlName(IDD_ICON_PROPERTIES));
    setWindowTitle(LoadQString(IDS_ICON_PROPERTIES_TITLE));

    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(this);
    m_label->setObjectName(ControlName(IDC_ICON_LABEL_CAPTION));
    m_label->setTextFormat(Qt::PlainText);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(ControlName(IDC_ICON_LABEL));
    m_edit->setMaxLength(kMaxIconNameLength);
    m_label->setBuddy(m_edit);
    m_keepAspect = new QRadioButton(LoadQString(IDS_ICON_KEEP_ASPECT), this);
    m_keepAspect->setObjectName(ControlName(IDC_KEEP_ASPECT));
    m_stretch = new QRadioButton(LoadQString(IDS_ICON_STRETCH), this);
    m_stretch->setObjectName(QStringLiteral("Stretch"));
    m_crop = new QRadioButton(LoadQString(IDS_ICON_CROP), this);
    m_crop->setObjectName(QStringLiteral("Crop"));
    m_dither = new QCheckBox(LoadQString(IDS_ICON_DITHER), this);
    m_dither->setObjectName(QStringLiteral("Dither"));

    auto* group = new QGroupBox(LoadQString(IDS_ICON_PREVIEW_GROUP), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_preview = new CIconPreview(&m_bitmap, group);
    groupLayout->addWidget(m_preview, 0, Qt::AlignCenter);

    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    for (QAbstractButton* choice :
         {static_cast<QAbstractButton*>(m_keepAspect), static_cast<QAbstractButton*>(m_stretch),
          static_cast<QAbstractButton*>(m_crop), static_cast<QAbstractButton*>(m_dither)}) {
        layout->addWidget(choice);
        connect(choice, &QAbstractButton::clicked, this, &CIconPropertiesDlg::OnChoiceClicked);
    }
    layout->addWidget(group);
    OkCancelButtons buttons = MakeOkCancelButtons(this);
    m_ok = buttons.ok;
    layout->addWidget(buttons.box);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (m_selection.isEmpty()) {
        ORV_INTERNAL_ERROR();
        m_bLoadFailed = true;
        return;
    }
    LoadFile(m_selection.front());
    m_nNextFile = 1;
    FillControls();
}

CIconPropertiesDlg::~CIconPropertiesDlg() = default;

bool CIconPropertiesDlg::Run() {
    if (m_bLoadFailed) {
        return false;
    }
    return exec() == Accepted;
}

void CIconPropertiesDlg::LoadFile(const QString& path) {
    std::string file = StdStr(path);
    m_strLabel = LabelText(IconNameLabel(file));
    m_strPath = path;
    m_strName = QStr(DefaultIconName(file));
    // Each picture starts from the remembered choice for pictures of its kind.
    m_ditherChoice.reset();
    if (!ConvertCurrent()) {
        if (isVisible()) {
            reject();
        } else {
            m_bLoadFailed = true;
        }
        return;
    }
    if (isVisible()) {
        FillControls();
        m_preview->update();
    }
}

bool CIconPropertiesDlg::ConvertCurrent() {
    IconChoices choices{m_fitting, m_ditherChoice};
    if (!choices.dither && !m_bDitherMany) {
        choices.dither = false;
    }
    PictureFacts facts;
    if (!ShowMessages(LoadPictureIcon(StdStr(m_strPath), choices, m_bitmap, &facts))) {
        return false;
    }
    m_bManyColours = facts.manyColours;
    m_bDither = facts.dithered;
    return true;
}

void CIconPropertiesDlg::ReadControls() {
    m_strName = m_edit->text();
    m_fitting = m_crop->isChecked()      ? IconFitting::Crop
                : m_stretch->isChecked() ? IconFitting::Stretch
                                         : IconFitting::KeepAspect;
    if (m_dither->isChecked() != m_bDither) {
        m_bDither = m_dither->isChecked();
        m_ditherChoice = m_bDither;
        // What is chosen for a photo holds for the next ones; a picture of few
        // colours is dithered only when asked for each time.
        if (m_bManyColours) {
            m_bDitherMany = m_bDither;
        }
    }
}

void CIconPropertiesDlg::FillControls() {
    m_label->setText(m_strLabel);
    m_edit->setText(m_strName);
    m_keepAspect->setChecked(m_fitting == IconFitting::KeepAspect);
    m_stretch->setChecked(m_fitting == IconFitting::Stretch);
    m_crop->setChecked(m_fitting == IconFitting::Crop);
    m_dither->setChecked(m_bDither);
}

void CIconPropertiesDlg::OnChoiceClicked() {
    ReadControls();
    if (!ConvertCurrent()) {
        reject();
        return;
    }
    m_dither->setChecked(m_bDither);
    m_preview->update();
}

void CIconPropertiesDlg::accept() {
    ReadControls();
    std::string name = StdStr(m_strName);
    if (int rule = CheckIconName(name)) {
        ShowMessageBox(LoadQString(rule), QMessageBox::NoIcon);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    // A file that cannot be written is told, and the next icon may still be
    // stored.
    std::vector<uint8_t> block = EncodeIconImage(m_bitmap);
    if (!block.empty()) {
        ShowMessages(AppendIconRecords(name, block));
    }
    if (m_nNextFile < m_selection.size()) {
        LoadFile(m_selection[m_nNextFile++]);
        if (isVisible()) {
            m_edit->setFocus();
            m_edit->selectAll();
        }
        return;
    }
    // Crop to Fill keeps the shape too, so it stands for Maintain Aspect Ratio
    // where only that is known.
    g_Globals.MaintainAspectRatio = m_fitting == IconFitting::Stretch ? 0 : 1;
    g_Globals.CropToFill = m_fitting == IconFitting::Crop ? 1 : 0;
    g_Globals.DitherColours = m_bDitherMany ? 1 : 0;
    QDialog::accept();
}

}  // namespace orv
