#include "mediaui/IconPropertiesDlg.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QVBoxLayout>

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/StringTable.h"
#include "media/IconImport.h"
#include "media/MediaTexts.h"
#include "mediaui/IconPreview.h"
#include "ui/ControlIds.h"
#include "ui/DialogButtons.h"
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
    : QDialog(parent), m_selection(selection), m_bKeepAspect(g_Globals.MaintainAspectRatio != 0) {
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
    m_keepAspect = new QCheckBox(LoadQString(IDS_ICON_KEEP_ASPECT), this);
    m_keepAspect->setObjectName(ControlName(IDC_KEEP_ASPECT));

    auto* group = new QGroupBox(LoadQString(IDS_ICON_PREVIEW_GROUP), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_preview = new CIconPreview(&m_bitmap, group);
    groupLayout->addWidget(m_preview, 0, Qt::AlignCenter);

    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    layout->addWidget(m_keepAspect);
    layout->addWidget(group);
    OkCancelButtons buttons = MakeOkCancelButtons(this);
    m_ok = buttons.ok;
    layout->addWidget(buttons.box);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_keepAspect, &QCheckBox::clicked, this, &CIconPropertiesDlg::OnKeepAspectClicked);

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
    if (!LoadAndConvertIcon(file, m_bKeepAspect, m_bitmap)) {
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

void CIconPropertiesDlg::ReadControls() {
    m_strName = m_edit->text();
    m_bKeepAspect = m_keepAspect->isChecked();
}

void CIconPropertiesDlg::FillControls() {
    m_label->setText(m_strLabel);
    m_edit->setText(m_strName);
    m_keepAspect->setChecked(m_bKeepAspect);
}

void CIconPropertiesDlg::OnKeepAspectClicked() {
    ReadControls();
    if (!LoadAndConvertIcon(StdStr(m_strPath), m_bKeepAspect, m_bitmap)) {
        reject();
        return;
    }
    m_preview->update();
}

void CIconPropertiesDlg::accept() {
    ReadControls();
    std::string name = StdStr(m_strName);
    if (int rule = CheckIconName(name)) {
        MessageBoxText(rule);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    // A file that cannot be written has been reported; the next icon may
    // still be stored.
    std::vector<uint8_t> block = EncodeIconImage(m_bitmap);
    if (!block.empty()) {
        AppendIconRecords(name, block);
    }
    if (m_nNextFile < m_selection.size()) {
        LoadFile(m_selection[m_nNextFile++]);
        if (isVisible()) {
            m_edit->setFocus();
            m_edit->selectAll();
        }
        return;
    }
    g_Globals.MaintainAspectRatio = m_bKeepAspect ? 1 : 0;
    QDialog::accept();
}

}  // namespace orv
