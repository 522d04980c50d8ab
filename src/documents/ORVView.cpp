#include "documents/ORVView.h"

#include <QVBoxLayout>

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/StringTable.h"
#include "ui/DialogUnits.h"
#include "ui/QtText.h"

namespace orv {

CORVView::CORVView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("101"));
    m_instructions = new QLabel(this);
    m_instructions->setObjectName(QStringLiteral("1004"));
    m_instructions->setAlignment(Qt::AlignCenter);
    m_instructions->setWordWrap(true);
    m_instructions->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_instructions->setWhatsThis(LoadQString(IDS_WHATSTHIS_INSTRUCTIONS));
    m_instructions->setMargin(DluX(this, 6));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluX(this, 37), DluY(this, 7), DluX(this, 38), DluY(this, 7));
    layout->addWidget(m_instructions);
}

CORVView::~CORVView() {
    if (g_Globals.MainView == this) {
        g_Globals.MainView = nullptr;
    }
}

void CORVView::OnInitialUpdate() {
    g_Globals.CurrentViewId = kMainViewId;
    g_Globals.MainView = this;
    if (!m_bFontEnlarged) {
        QFont font = ScaledFont(m_instructions->font(), 1.3);
        font.setBold(true);
        m_instructions->setFont(font);
        // Wide enough for the form's width, and tall enough for the longest
        // instructions, so the window keeps one size whichever model is chosen.
        int width = DluX(this, 275);
        int height = DluY(this, 89);
        for (int i = 0; i < kModelCount; ++i) {
            QLabel probe(LoadQString(InstructionsId(i)));
            probe.setFont(font);
            probe.setWordWrap(true);
            probe.setMargin(m_instructions->margin());
            height = std::max(height, probe.heightForWidth(width) + DluY(this, 8));
        }
        m_instructions->setFixedSize(width, height);
        m_bFontEnlarged = true;
    }
}

void CORVView::OnActivateView() {
    SetMainTitle(g_Globals.MainTitle);
}

void CORVView::SetInstructions(const QString& text) {
    m_instructions->setText(text);
}

QString CORVView::Instructions() const {
    return m_instructions->text();
}

}  // namespace orv
