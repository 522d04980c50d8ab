#include "documents/YesNoDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "core/StringTable.h"
#include "ui/ControlIds.h"
#include "ui/QtText.h"

namespace orv {

CYesNoDlg::CYesNoDlg(const QString& question, QWidget* parent) : QDialog(parent) {
    setObjectName(ControlName(IDD_YES_NO));
    setWindowTitle(LoadQString(IDS_APP_NAME));

    auto* icon = new QLabel(this);
    int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    m_question = new QLabel(question, this);
    m_question->setObjectName(ControlName(IDC_QUESTION));
    m_question->setWordWrap(true);
    m_question->setMinimumWidth(440);

    auto* box = new QDialogButtonBox(Qt::Horizontal, this);
    m_yes = box->addButton(LoadQString(IDS_BUTTON_YES), QDialogButtonBox::YesRole);
    m_no = box->addButton(LoadQString(IDS_BUTTON_NO), QDialogButtonBox::NoRole);
    m_yes->setObjectName(ControlName(IDC_YES));
    m_no->setObjectName(ControlName(IDC_NO));
    m_yes->setAutoDefault(false);
    m_no->setDefault(true);
    m_no->setFocus();
    connect(m_yes, &QPushButton::clicked, this, [this] { done(IDYES); });
    connect(m_no, &QPushButton::clicked, this, [this] { done(IDNO); });

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(m_question, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(box);
}

}  // namespace orv
