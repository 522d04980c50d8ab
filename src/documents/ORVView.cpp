#include "documents/ORVView.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/StringTable.h"
#include "ui/ControlIds.h"
#include "ui/DialogUnits.h"
#include "ui/QtText.h"

namespace orv {

CInstructionsText::CInstructionsText(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The look of a caption on the form, not of an input field.
    viewport()->setBackgroundRole(QPalette::Window);
    setBackgroundRole(QPalette::Window);
    document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    document()->setDocumentMargin(DluX(this, 6));
}

void CInstructionsText::SetText(const QString& text) {
    setPlainText(text);
    CentreVertically();
}

int CInstructionsText::HeightFor(const QString& text, int width) const {
    QTextDocument probe;
    probe.setDefaultFont(font());
    probe.setDefaultTextOption(document()->defaultTextOption());
    probe.setDocumentMargin(document()->documentMargin());
    probe.setPlainText(text);
    probe.setTextWidth(width - 2 * frameWidth());
    return static_cast<int>(std::ceil(probe.size().height())) + 2 * frameWidth();
}

void CInstructionsText::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    CentreVertically();
}

void CInstructionsText::CentreVertically() {
    QTextFrame* root = document()->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    qreal margin = document()->documentMargin();
    format.setTopMargin(margin);
    root->setFrameFormat(format);
    qreal room = viewport()->height() - document()->size().height();
    format.setTopMargin(margin + std::max<qreal>(0, room / 2));
    root->setFrameFormat(format);
}

CORVView::CORVView(QWidget* parent) : QWidget(parent) {
    setObjectName(ControlName(kMainViewId));
    m_instructions = new CInstructionsText(this);
    m_instructions->setObjectName(ControlName(IDC_INSTRUCTIONS));
    m_instructions->setAccessibleName(LoadQString(IDS_INSTRUCTIONS_NAME));
    m_instructions->setWhatsThis(LoadQString(IDS_WHATSTHIS_INSTRUCTIONS));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluX(this, 37), DluY(this, 7), DluX(this, 38), DluY(this, 7));
    layout->addWidget(m_instructions);
}

CORVView::~CORVView() = default;

void CORVView::OnInitialUpdate() {
    g_Globals.CurrentViewId = kMainViewId;
    if (!m_bFontEnlarged) {
        FitInstructions();
        m_bFontEnlarged = true;
    }
    m_instructions->setFocus(Qt::OtherFocusReason);
}

void CORVView::FitInstructions() {
    QFont font = ScaledFont(this->font(), 1.3);
    font.setBold(true);
    m_instructions->setFont(font);
    // Wide enough for the form's width, and tall enough for the longest
    // instructions, so the window keeps one size whichever model is chosen.
    int width = DluX(this, 275);
    int height = DluY(this, 89);
    for (int i = 0; i < kModelCount; ++i) {
        height = std::max(height, m_instructions->HeightFor(LoadQString(InstructionsId(i)), width) +
                                      DluY(this, 4));
    }
    m_instructions->setFixedSize(width, height);
}

void CORVView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Larger or smaller type chosen while the program runs.
    if (event->type() == QEvent::FontChange && m_bFontEnlarged) {
        FitInstructions();
    }
}

void CORVView::OnActivateView() {
    SetMainTitle(g_Globals.MainTitle);
    m_instructions->setFocus(Qt::OtherFocusReason);
}

void CORVView::SetInstructions(const QString& text) {
    m_instructions->SetText(text);
}

QString CORVView::Instructions() const {
    return m_instructions->toPlainText();
}

void CORVView::SetArmedNotice(const QString& text) {
    m_instructions->setAccessibleDescription(text);
}

}  // namespace orv
