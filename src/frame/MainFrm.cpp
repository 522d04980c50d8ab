#include "frame/MainFrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>
#include <QWidgetAction>

#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "documents/EmptyRestore.h"
#include "documents/ORVDoc.h"
#include "documents/ORVFileDlg.h"
#include "documents/ORVView.h"
#include "documents/RecentFiles.h"
#include "documents/TransferDlg.h"
#include "ui/CommandIds.h"
#include "ui/ControlIds.h"
#include "ui/NotifyEvent.h"
#include "ui/QtText.h"
#include "ui/ToolbarIcons.h"

namespace orv {
namespace {

constexpr QSize kToolbarButtonSize(122, 72);

// Whether a keyboard lock is on, from the keyboard LEDs the kernel exposes.
// Without such an LED (no keyboard, no access) the indicator stays blank.
bool IsLockOn(const char* ledSuffix) {
    QDir leds(QStringLiteral("/sys/class/leds"));
    const QStringList names =
        leds.entryList({QStringLiteral("*::") + QLatin1String(ledSuffix)}, QDir::AllEntries);
    for (const QString& name : names) {
        QFile f(leds.filePath(name) + QStringLiteral("/brightness"));
        if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed() != "0") {
            return true;
        }
    }
    return false;
}

// Width a label line may take in the usual button.
constexpr int kLabelRoom = kToolbarButtonSize.width() - 8;

// What a button needs for the picture over the label, with a small margin.
QSize RoomFor(const QString& label, const QFontMetrics& metrics) {
    const QStringList lines = label.split(QLatin1Char('\n'));
    int width = 0;
    for (const QString& line : lines) {
        width = std::max(width, metrics.horizontalAdvance(line));
    }
    return QSize(
        std::max(width, kToolbarIconSize.width()) + 8,
        kToolbarIconSize.height() + static_cast<int>(lines.size()) * metrics.lineSpacing() + 8);
}

// The label broken at the blank that leaves the shorter longest line.
QString TwoLines(const QString& label, const QFontMetrics& metrics) {
    QString best = label;
    int bestWidth = metrics.horizontalAdvance(label);
    for (qsizetype space = label.indexOf(QLatin1Char(' ')); space > 0;
         space = label.indexOf(QLatin1Char(' '), space + 1)) {
        int width = std::max(metrics.horizontalAdvance(label.left(space)),
                             metrics.horizontalAdvance(label.mid(space + 1)));
        if (width < bestWidth) {
            bestWidth = width;
            best = label.left(space) + QLatin1Char('\n') + label.mid(space + 1);
        }
    }
    return best;
}

// What a drop brings: the local files, the memory files among them apart.
struct DroppedFiles {
    QStringList memoryFiles;
    QStringList others;
};

DroppedFiles FilesOf(const QMimeData* data) {
    DroppedFiles files;
    if (!data || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        QString path = url.toLocalFile();
        if (path.endsWith(QStringLiteral(".ORV"), Qt::CaseInsensitive)) {
            files.memoryFiles.append(path);
        } else {
            files.others.append(path);
        }
    }
    return files;
}

}  // namespace

CMainFrame::CMainFrame(CORVDoc& doc, CORVSerialPort& engine, const CRecentFiles& recentFiles)
    : m_doc(doc), m_engine(engine), m_recentFiles(recentFiles), m_views(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("MainFrame"));
    // A fixed-size window with no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(AppIcon());
    setCentralWidget(m_views);
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::OnCreate() {
    BuildMenu();
    if (!BuildToolbar()) {
        return false;
    }
    ShowOverlayButton(g_Globals.ModelId == kModelPelliro);
    ShowImportIconsButton(SupportsIconImport(g_Globals.ModelId));
    return BuildStatusBar();
}

QAction* CMainFrame::AddCommand(int commandId, const QString& menuText) {
    auto* action = new QAction(MenuLabel(menuText), this);
    action->setObjectName(ControlName(commandId));
    action->setShortcut(MenuShortcut(menuText));
    action->setStatusTip(PromptStatus(commandId));
    action->setToolTip(PromptTip(commandId));
    action->setWhatsThis(PromptStatus(commandId));
    action->setIconVisibleInMenu(false);
    m_actions.insert(commandId, action);
    // Commands change what may be chosen next; bring the menu and toolbar up to date.
    connect(action, &QAction::triggered, this, &CMainFrame::UpdateCommandUI, Qt::QueuedConnection);
    return action;
}

QAction* CMainFrame::Action(int commandId) const {
    return m_actions.value(commandId, nullptr);
}

QToolButton* CMainFrame::ToolbarButton(int commandId) const {
    return m_buttons.value(commandId, nullptr);
}

bool CMainFrame::IsToolbarButtonShown(int commandId) const {
    QAction* slot = m_buttonSlots.value(commandId, nullptr);
    return slot && slot->isVisible();
}

void CMainFrame::BuildMenu() {
    CORVDoc& doc = m_doc;

    m_fileMenu = menuBar()->addMenu(LoadQString(IDS_MENU_FILE));
    m_fileMenu->setObjectName(QStringLiteral("FileMenu"));
    QAction* restore = AddCommand(ID_RESTORE_MEMORY, LoadQString(IDS_MENU_RESTORE));
    QAction* save = AddCommand(ID_SAVE_MEMORY, LoadQString(IDS_MENU_SAVE));
    QAction* overlay = AddCommand(ID_EDIT_OVERLAY, LoadQString(IDS_MENU_EDIT_OVERLAY));
    QAction* icons = AddCommand(ID_IMPORT_ICONS, LoadQString(IDS_MENU_IMPORT_ICONS));
    QAction* del = AddCommand(ID_DELETE_FILE, LoadQString(IDS_MENU_DELETE));
    QAction* rename = AddCommand(ID_RENAME_FILE, LoadQString(IDS_MENU_RENAME));
    QAction* exit = AddCommand(ID_APP_EXIT, LoadQString(IDS_MENU_EXIT));
    m_fileMenu->addActions({restore, save, overlay, icons, del, rename});
    m_fileMenu->addSeparator();
    m_recentSeparator = m_fileMenu->addSeparator();
    m_fileMenu->addAction(exit);
    RebuildRecentFileMenu();

    connect(restore, &QAction::triggered, this, [this] { OnRestoreMemory(); });
    connect(save, &QAction::triggered, this, [this] { OnSaveMemory(); });
    connect(overlay, &QAction::triggered, &doc, [&doc] { doc.OnEditKeyboardOverlay(); });
    connect(icons, &QAction::triggered, this, [this] { OnImportIcons(); });
    connect(del, &QAction::triggered, &doc, [&doc] { doc.OnDeleteFile(); });
    connect(rename, &QAction::triggered, &doc, [&doc] { doc.OnRenameFile(); });
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* options = menuBar()->addMenu(LoadQString(IDS_MENU_OPTIONS));
    QMenu* device = options->addMenu(LoadQString(IDS_MENU_DEVICE));
    for (int i = 0; i < kModelCount; ++i) {
        int id = static_cast<int>(ModelIdOf(i));
        // Every model name starts with a different letter: that is its mnemonic.
        QAction* item = AddCommand(id, QStringLiteral("&") + QString::fromLatin1(kModelNames[i]));
        item->setCheckable(true);
        device->addAction(item);
    }
    QAction* ports = AddCommand(ID_PORT_SETTINGS, LoadQString(IDS_MENU_PORT_SETTINGS));
    options->addAction(ports);

    QMenu* help = menuBar()->addMenu(LoadQString(IDS_MENU_HELP));
    QAction* topics = AddCommand(ID_HELP_FINDER, LoadQString(IDS_MENU_HELP_TOPICS));
    QAction* about = AddCommand(ID_APP_ABOUT, LoadQString(IDS_MENU_ABOUT));
    help->addAction(topics);
    help->addSeparator();
    help->addAction(about);

    // F1 is the Help Topics item's key, so the menu shows it; Shift+F1 is an
    // accelerator without a menu item.
    m_actions.insert(ID_HELP, topics);
    QAction* whatsThis = AddCommand(ID_CONTEXT_HELP, LoadQString(IDS_MENU_WHATS_THIS));
    addAction(whatsThis);
    connect(whatsThis, &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });

    for (QMenu* menu : {m_fileMenu, options, device, help}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    }
    connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::RebuildRecentFileMenu);
}

void CMainFrame::RebuildRecentFileMenu() {
    if (!m_fileMenu || !m_recentSeparator) {
        return;
    }
    for (QAction* a : m_recentActions) {
        m_fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    const CRecentFiles& recent = m_recentFiles;
    if (recent.IsEmpty()) {
        auto* placeholder = new QAction(LoadQString(IDS_MENU_RECENT_FILE), this);
        placeholder->setObjectName(ControlName(ID_FILE_MRU_FIRST));
        placeholder->setEnabled(false);
        m_recentActions.append(placeholder);
    } else {
        for (int i = 0; i < recent.Size(); ++i) {
            int id = ID_FILE_MRU_FIRST + i;
            // Menu text of the file: its number as mnemonic and the shortened path.
            QString label = QStringLiteral("&%1 %2").arg(i + 1).arg(recent.DisplayName(i));
            auto* item = new QAction(label, this);
            item->setObjectName(ControlName(id));
            item->setStatusTip(recent.Entry(i));
            connect(item, &QAction::triggered, this, [this, id] {
                m_doc.OnOpenRecentFile(id);
                UpdateCommandUI();
            });
            m_recentActions.append(item);
        }
    }
    m_fileMenu->insertActions(m_recentSeparator, m_recentActions);
}

void CMainFrame::UpdateCommandUI() {
    for (int id = ID_DEVICE_FIRST; id <= ID_DEVICE_LAST; ++id) {
        if (QAction* item = Action(id)) {
            item->setEnabled(g_Globals.CurrentViewId != kKeyboardViewId);
            item->setChecked(static_cast<uint32_t>(id) == g_Globals.ModelId);
        }
    }
    if (QAction* overlay = Action(ID_EDIT_OVERLAY)) {
        overlay->setEnabled(g_Globals.ModelId == kModelPelliro);
    }
    if (QAction* icons = Action(ID_IMPORT_ICONS)) {
        icons->setEnabled(SupportsIconImport(g_Globals.ModelId));
    }
    // Save and Restore have handlers and so stay enabled in every case.
    for (int id : {ID_SAVE_MEMORY, ID_RESTORE_MEMORY}) {
        if (QAction* item = Action(id)) {
            item->setEnabled(true);
        }
    }
}

void CMainFrame::AddToolbarButton(QToolBar* bar, int commandId) {
    QAction* action = Action(commandId);
    action->setIcon(ToolbarIcon(commandId));
    auto* button = new QToolButton(bar);
    button->setObjectName(ControlName(commandId));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(kToolbarIconSize);
    button->setAutoRaise(true);
    // The toolbar's own slot for the button: hiding it hides the button and
    // leaves the menu item in place.
    m_buttonSlots.insert(commandId, bar->addWidget(button));
    m_buttons.insert(commandId, button);
}

void CMainFrame::FitToolbarButtons() {
    QSize size = kToolbarButtonSize;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        QToolButton* button = it.value();
        button->setFont(QFont());  // the window's font again, after a smaller one
        QString label = PromptTip(it.key());
        if (button->fontMetrics().horizontalAdvance(label) > kLabelRoom) {
            label = TwoLines(label, button->fontMetrics());
            // In the usual type sizes two lines fit the usual button in a
            // slightly smaller type; in large type the button grows instead.
            QFont smaller = button->font();
            smaller.setPointSizeF(smaller.pointSizeF() * 0.85);
            if (RoomFor(label, QFontMetrics(smaller)).height() <= kToolbarButtonSize.height()) {
                button->setFont(smaller);
            }
        }
        button->defaultAction()->setIconText(label);
        size = size.expandedTo(RoomFor(label, button->fontMetrics()));
    }
    // One size for all, so that the row stays even.
    for (QToolButton* button : std::as_const(m_buttons)) {
        button->setFixedSize(size);
    }
}

bool CMainFrame::BuildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    if (!bar) {
        return false;
    }
    bar->setObjectName(QStringLiteral("Toolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(kToolbarIconSize);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (int id :
         {ID_RESTORE_MEMORY, ID_SAVE_MEMORY, ID_EDIT_OVERLAY, ID_IMPORT_ICONS, ID_APP_EXIT}) {
        AddToolbarButton(bar, id);
    }
    FitToolbarButtons();
    return true;
}

bool CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    if (!bar) {
        return false;
    }
    bar->setSizeGripEnabled(false);
    // The notice of an armed transfer comes back whenever the message pane
    // is cleared (as when the pointer leaves a button whose prompt it showed).
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty() && !m_armedNotice.isEmpty()) {
            statusBar()->showMessage(m_armedNotice);
        }
    });
    const int ids[3] = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};
    for (int i = 0; i < 3; ++i) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(LoadQString(ids[i]));
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(LoadQString(ids[i])) + 12);
        bar->addPermanentWidget(pane);
        m_lockIndicators[i] = pane;
    }
    UpdateLockIndicators();
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
    timer->start(500);
    return true;
}

void CMainFrame::UpdateLockIndicators() {
    const char* leds[3] = {"capslock", "numlock", "scrolllock"};
    const int ids[3] = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};
    for (int i = 0; i < 3; ++i) {
        if (m_lockIndicators[i]) {
            m_lockIndicators[i]->setText(IsLockOn(leds[i]) ? LoadQString(ids[i]) : QString());
        }
    }
}

void CMainFrame::ShowOverlayButton(bool show) {
    if (QAction* slot = m_buttonSlots.value(ID_EDIT_OVERLAY)) {
        slot->setVisible(show);
    }
}

void CMainFrame::ShowImportIconsButton(bool show) {
    if (QAction* slot = m_buttonSlots.value(ID_IMPORT_ICONS)) {
        slot->setVisible(show);
    }
}

void CMainFrame::EnableTransferButtons(bool enable) {
    for (int id : {ID_SAVE_MEMORY, ID_RESTORE_MEMORY}) {
        if (QToolButton* button = ToolbarButton(id)) {
            button->setEnabled(enable);
        }
    }
}

void CMainFrame::SetStatusText(const QString& text) {
    statusBar()->showMessage(text);
    statusBar()->repaint();
}

void CMainFrame::SetMainTitle(const QString& title) {
    setWindowTitle(title + m_captionSuffix);
}

QString CMainFrame::StatusText() const {
    return statusBar()->currentMessage();
}

void CMainFrame::ShowArmedTransfer() {
    if (m_bServingRequest || !m_engine.IsArmed()) {
        SetArmedNotice(QString(), QString());
        return;
    }
    int id = IDM_ARMED_SAVE + static_cast<int>(m_engine.ArmedKind());
    if (!ORV_CHECK(id >= IDM_ARMED_SAVE && id <= IDM_ARMED_SOUND)) {
        return;
    }
    QString path = QStr(m_engine.CurrentFileName());
    // A long name is shortened in its middle: the status bar cannot wrap.
    QString name = statusBar()->fontMetrics().elidedText(QFileInfo(path).fileName(),
                                                         Qt::ElideMiddle, width() / 2);
    SetArmedNotice(FormatQString(id, name), FormatQString(id, path));
}

QString CMainFrame::ArmedNotice() const {
    return m_armedNotice;
}

void CMainFrame::SetArmedNotice(const QString& inStatusBar, const QString& inMainForm) {
    QString shown = m_armedNotice;
    m_armedNotice = inStatusBar;
    if (!inStatusBar.isEmpty()) {
        SetStatusText(inStatusBar);
    } else if (!shown.isEmpty() && StatusText() == shown) {
        SetStatusText(QString());
    }
    if (CORVView* view = m_doc.MainView()) {
        view->SetArmedNotice(inMainForm);
    }
}

void CMainFrame::SetActiveView(QWidget* view) {
    if (m_views->indexOf(view) < 0) {
        m_views->addWidget(view);
    }
    m_views->setCurrentWidget(view);
    FitToView();
}

void CMainFrame::FitToView() {
    if (QWidget* page = m_views->currentWidget()) {
        m_views->setFixedSize(page->sizeHint());
    }
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (layout()) {
        layout()->invalidate();
        layout()->activate();
    }
    setFixedSize(sizeHint());
    if (QScreen* s = screen()) {
        QRect area = s->availableGeometry();
        QRect frame = frameGeometry();
        move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Larger or smaller type chosen while the program runs: the buttons and
    // the window follow it.
    if (event->type() == QEvent::FontChange && !m_buttons.isEmpty()) {
        FitToolbarButtons();
        FitToView();
    }
}

void CMainFrame::customEvent(QEvent* event) {
    if (event->type() == NotifyEvent::kType) {
        OnTransferRequest(static_cast<NotifyEvent*>(event)->Take());
        return;
    }
    QMainWindow::customEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_doc.SaveOverlayEdits()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        emit Closed();
    }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    DroppedFiles files = FilesOf(event->mimeData());
    // Memory files alone, or pictures for a model that takes icons.
    const bool wanted = files.others.isEmpty() ? !files.memoryFiles.isEmpty()
                                               : SupportsIconImport(g_Globals.ModelId);
    if (wanted) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    DroppedFiles files = FilesOf(event->mimeData());
    if (files.others.isEmpty() && !files.memoryFiles.isEmpty()) {
        event->acceptProposedAction();
        // The drag's source waits until the drop returns: the dialog follows.
        QTimer::singleShot(0, this, [this, path = files.memoryFiles.front()] {
            m_doc.OnOpenWithAction(path);
            UpdateCommandUI();
        });
    } else if (!files.others.isEmpty() && SupportsIconImport(g_Globals.ModelId)) {
        event->acceptProposedAction();
        QTimer::singleShot(0, this, [this, pictures = files.others] {
            ImportPictures(pictures);
            UpdateCommandUI();
        });
    }
}

bool CMainFrame::MemoryFileCommand(int commandId, TransferKind kind) {
    CORVFileDlg dlg(kind == Save ? CORVFileDlg::Kind::Save : CORVFileDlg::Kind::Open, m_engine,
                    this);
    if (dlg.RunForCommand(commandId) != 1) {
        return false;
    }
    if (kind == Restore && !ConfirmRestoreFrom(dlg.PathName(), this)) {
        return false;
    }
    m_engine.ArmTransfer(StdStr(dlg.PathName()), kind);
    ShowArmedTransfer();
    return true;
}

bool CMainFrame::OnSaveMemory() {
    return MemoryFileCommand(ID_SAVE_MEMORY, Save);
}

bool CMainFrame::OnRestoreMemory() {
    return MemoryFileCommand(ID_RESTORE_MEMORY, Restore);
}

void CMainFrame::RunRequestedTransfer(Notification request, bool (CMainFrame::*chooser)(),
                                      bool saveMode) {
    const TransferKind kind = RequestedKind(request.Code());
    // The transfer starts now, or is refused: either way the arming ends.
    QScopedValueRollback serving(m_bServingRequest, true);
    ShowArmedTransfer();
    bool armed = m_engine.IsArmed() && m_engine.ArmedKind() == kind;
    if (!armed) {
        // A file the engine refused to arm (it could not be read) counts as no
        // file: the device is told the transfer was cancelled instead of the
        // transfer starting with the wrong file or none.
        bool chosen = (this->*chooser)();
        armed = chosen && m_engine.IsArmed() && m_engine.ArmedKind() == kind;
    }
    if (!armed) {
        m_engine.SetCancel();
        return;  // the request is released as refused
    }
    CTransferDlg dlg(m_engine, this, this);
    dlg.Run(saveMode, std::move(request));
}

void CMainFrame::OnTransferRequest(Notification note) {
    CheckNotification(note.Code(), m_engine);
    switch (note.Code()) {
        case TN_SAVE_REQUEST:
            RunRequestedTransfer(std::move(note), &CMainFrame::OnSaveMemory, true);
            break;
        case TN_RESTORE_REQUEST:
            RunRequestedTransfer(std::move(note), &CMainFrame::OnRestoreMemory, false);
            break;
        case TN_ICONS_REQUEST:
            RunRequestedTransfer(std::move(note), &CMainFrame::OnImportIcons, false);
            break;
        case TN_SOUND_REQUEST:
            RunRequestedTransfer(std::move(note), &CMainFrame::OnImportSound, false);
            break;
        case TN_FINISHED:
            break;
        default:
            ORV_INTERNAL_ERROR();
            break;
    }
    // Whatever is still held here is answered now (the lockstep in EngineHost.h).
}

}  // namespace orv
