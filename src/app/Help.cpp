#include "app/Help.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <memory>

#include "core/ProgramTexts.h"
#include "core/StringTable.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"

static void InitHelpResources() {
    Q_INIT_RESOURCE(orv);
}

namespace orv {
namespace {

QUrl& GuideUrlSetting() {
    static QUrl url(QStringLiteral("qrc:/help/orv-guide.html"));
    return url;
}

QPushButton* AddButton(QHBoxLayout* row, int textId, QWidget* parent) {
    auto* button = new QPushButton(LoadQString(textId), parent);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

}  // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    InitHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(LoadQString(IDS_HELP_WINDOW_TITLE));
    // The guide never keeps the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("Guide"));
    m_browser->setAccessibleName(LoadQString(IDS_HELP_WINDOW_TITLE));
    // Links within the guide stay here; a link to the web goes to the browser.
    m_browser->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    QPushButton* back = AddButton(buttons, IDS_HELP_BACK, this);
    QPushButton* forward = AddButton(buttons, IDS_HELP_FORWARD, this);
    QPushButton* contents = AddButton(buttons, IDS_HELP_CONTENTS, this);
    buttons->addStretch(1);
    QPushButton* close = AddButton(buttons, IDS_HELP_CLOSE, this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);

    // Large text at a keystroke, and Esc closes as in a dialog.
    auto* zoomIn = new QShortcut(QKeySequence::ZoomIn, this);
    auto* zoomOut = new QShortcut(QKeySequence::ZoomOut, this);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(zoomIn, &QShortcut::activated, m_browser, [this] { m_browser->zoomIn(2); });
    connect(zoomOut, &QShortcut::activated, m_browser, [this] { m_browser->zoomOut(2); });
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);
    resize(720, 640);
}

bool CHelpWindow::LoadGuide() {
    m_browser->setSource(GuideUrl());
    return !m_browser->document()->isEmpty();
}

QUrl CHelpWindow::GuideUrl() {
    return GuideUrlSetting();
}

void CHelpWindow::SetGuideUrl(const QUrl& url) {
    GuideUrlSetting() = url;
}

bool ShowHelp(std::unique_ptr<CHelpWindow>& window) {
    if (!window) {
        auto made = std::make_unique<CHelpWindow>();
        if (!made->LoadGuide()) {
            const QUrl url = CHelpWindow::GuideUrl();
            ShowMessageBox(FormatQString(IDM_HELP_NOT_OPENED,
                                         url.isLocalFile() ? url.toLocalFile() : url.toString()),
                           QMessageBox::Warning);
            return false;
        }
        window = std::move(made);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

}  // namespace orv
