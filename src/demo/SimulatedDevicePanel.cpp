#include "demo/SimulatedDevicePanel.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListView>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "core/Catalogue.h"
#include "core/ProgramTexts.h"
#include "core/StringTable.h"
#include "demo/DemoMode.h"
#include "demo/DemoTexts.h"
#include "documents/ORVFileDlg.h"
#include "ui/DialogUnits.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"
#include "ui/ToolbarIcons.h"

namespace orv {
namespace {

using devsim::OutcomeKind;

constexpr int kTickMs = 100;
constexpr int kRepeatRequestMs = 500;
// Waits during a transfer; generous, since the program's user may be
// answering a question meanwhile.
constexpr int kTransferTimeoutMs = 60000;

QString Number(std::size_t n) {
    return QString::number(static_cast<qulonglong>(n));
}

QStringList NumberedLines(const std::vector<std::string>& lines) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(lines.size()));
    const int width = static_cast<int>(Number(lines.size()).size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out.append(QStringLiteral("%1  %2")
                       .arg(i + 1, width)
                       .arg(QString::fromLatin1(devsim::StripLineEnd(lines[i]))));
    }
    return out;
}

QListView* RecordList(QStringListModel* model, QWidget* parent) {
    auto* view = new QListView(parent);
    view->setModel(model);
    view->setUniformItemSizes(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTextElideMode(Qt::ElideRight);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return view;
}

}  // namespace

CSimulatedDevicePanel::CSimulatedDevicePanel(CDemoMode& demo, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_demo(demo),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("SimulatedDevicePanel"));
    // The program ends with its main window, whatever this one does.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_picture = new QLabel(this);
    m_picture->setPixmap(DevicePicture(DluY(this, 28)));
    m_heading = new QLabel(this);
    m_heading->setFont(ScaledFont(font(), 1.5));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_intro = new QLabel(this);
    m_intro->setWordWrap(true);
    auto* introText = new QVBoxLayout;
    introText->addWidget(m_heading);
    introText->addWidget(m_intro);
    auto* top = new QHBoxLayout;
    top->addWidget(m_picture, 0, Qt::AlignTop);
    top->addLayout(introText, 1);

    auto* menu = new QGroupBox(LoadQString(IDS_DEMO_MENU_GROUP), this);
    auto* rows = new QVBoxLayout(menu);
    AddMenuRow(rows, 'S', IDS_DEMO_SAVE, IDS_DEMO_SAVE_INFO);
    AddMenuRow(rows, 'L', IDS_DEMO_LOAD, IDS_DEMO_LOAD_INFO);
    AddMenuRow(rows, 'O', IDS_DEMO_SAVE_TEXT, IDS_DEMO_SAVE_TEXT_INFO);
    AddMenuRow(rows, 'B', IDS_DEMO_LOAD_TEXT, IDS_DEMO_LOAD_TEXT_INFO);
    AddMenuRow(rows, 'i', IDS_DEMO_ICONS, IDS_DEMO_ICONS_INFO);
    AddMenuRow(rows, 'V', IDS_DEMO_SOUND, IDS_DEMO_SOUND_INFO);
    m_stop = new QPushButton(LoadQString(IDS_DEMO_STOP), menu);
    m_stop->setObjectName(QStringLiteral("Stop"));
    m_stop->setToolTip(LoadQString(IDS_DEMO_STOP_INFO));
    m_stop->setAutoDefault(false);
    connect(m_stop, &QPushButton::clicked, this, &CSimulatedDevicePanel::Stop);
    rows->addWidget(m_stop, 0, Qt::AlignLeft);
    // The buttons in one column of one width.
    int buttonWidth = m_stop->sizeHint().width();
    for (QPushButton* button : m_buttons) {
        buttonWidth = std::max(buttonWidth, button->sizeHint().width());
    }
    for (QPushButton* button : m_buttons) {
        button->setFixedWidth(buttonWidth);
    }
    m_stop->setFixedWidth(buttonWidth);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);
    m_status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_status->setMargin(DluX(this, 3));
    // Room for two lines, so that the window keeps its size as texts change.
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 2 + DluY(this, 5));
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    // Shown while the device works; its room stays so that nothing moves.
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keep);
    m_progress->hide();

    auto* holds = new QGroupBox(LoadQString(IDS_DEMO_HOLDS_GROUP), this);
    m_tabs = new QTabWidget(holds);
    m_memory = new QStringListModel(this);
    m_received = new QStringListModel(this);
    QListView* memoryList = RecordList(m_memory, m_tabs);
    memoryList->setObjectName(QStringLiteral("MemoryList"));
    m_text = new QPlainTextEdit(m_tabs);
    m_text->setObjectName(QStringLiteral("TextView"));
    m_text->setReadOnly(true);
    QListView* receivedList = RecordList(m_received, m_tabs);
    receivedList->setObjectName(QStringLiteral("ReceivedList"));
    m_tabs->addTab(memoryList, QString());
    m_tabs->addTab(m_text, QString());
    m_tabs->addTab(receivedList, QString());
    m_write = new QPushButton(LoadQString(IDS_DEMO_WRITE_MEMORY), holds);
    m_write->setObjectName(QStringLiteral("WriteMemory"));
    m_write->setAutoDefault(false);
    connect(m_write, &QPushButton::clicked, this, &CSimulatedDevicePanel::OnWriteMemory);
    auto* holdsLayout = new QVBoxLayout(holds);
    holdsLayout->addWidget(m_tabs);
    holdsLayout->addWidget(m_write, 0, Qt::AlignRight);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(menu);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(holds, 1);
    // A list of a dozen records at least; a width that keeps the
    // descriptions on a line or two, and the height they then need.
    for (QWidget* list : {static_cast<QWidget*>(memoryList), static_cast<QWidget*>(m_text),
                          static_cast<QWidget*>(receivedList)}) {
        list->setMinimumHeight(list->fontMetrics().lineSpacing() * 12);
    }
    const int width = DluX(this, 320);
    setMinimumWidth(width);
    resize(width, std::max(heightForWidth(width), sizeHint().height()));

    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CSimulatedDevicePanel::OnTick);
    Attach();
}

CSimulatedDevicePanel::~CSimulatedDevicePanel() = default;

void CSimulatedDevicePanel::AddMenuRow(QVBoxLayout* rows, char letter, int textId, int infoId) {
    // One widget per row, so that a row the model does not have goes entirely.
    auto* row = new QWidget(rows->parentWidget());
    auto* button = new QPushButton(LoadQString(textId), row);
    button->setObjectName(QStringLiteral("Request") + QLatin1Char(letter));
    button->setAutoDefault(false);
    auto* info = new QLabel(LoadQString(infoId), row);
    info->setWordWrap(true);
    button->setToolTip(info->text());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button);
    layout->addWidget(info, 1);
    rows->addWidget(row);
    m_buttons.insert(letter, button);
    m_rows.insert(letter, row);
    connect(button, &QPushButton::clicked, this, [this, letter] { OnMenuButton(letter); });
}

void CSimulatedDevicePanel::Detach() {
    m_timer.stop();
    m_letter = 0;
}

void CSimulatedDevicePanel::Attach() {
    ShowDevice();
    m_status->setText(LoadQString(IDS_DEMO_READY));
    m_progress->hide();
    ShowHoldings();
    UpdateButtons();
}

void CSimulatedDevicePanel::ShowDevice() {
    const uint32_t model = m_demo.Device().ModelId();
    const QString name = QStr(LoadString(ModelNameId(ModelIndexOf(model))));
    setWindowTitle(FormatQString(IDS_DEMO_PANEL_TITLE, name));
    m_heading->setText(FormatQString(IDS_DEMO_PANEL_HEADING, name));
    m_intro->setText(FormatQString(IDS_DEMO_PANEL_INTRO, name));
    // Only the models that import icons and sounds ask for them.
    for (char letter : {'i', 'V'}) {
        m_rows.value(letter)->setVisible(SupportsIconImport(model));
    }
}

void CSimulatedDevicePanel::ShowHoldings() {
    devsim::SimulatedDevice& device = m_demo.Device();
    const devsim::MemoryImage memory = device.Memory();
    m_memory->setStringList(NumberedLines(memory));
    m_tabs->setTabText(0, FormatQString(IDS_DEMO_MEMORY_TAB, Number(memory.size())));
    std::size_t lines = 0;
    m_text->setPlainText(QString::fromLatin1(devsim::ReadableText(device.Text(), &lines)));
    m_tabs->setTabText(1, FormatQString(IDS_DEMO_TEXT_TAB, Number(lines)));
    const std::vector<std::string> received = device.Received();
    m_received->setStringList(NumberedLines(received));
    m_tabs->setTabText(2, FormatQString(IDS_DEMO_RECEIVED_TAB, Number(received.size())));
}

void CSimulatedDevicePanel::UpdateButtons() {
    const bool busy = IsBusy();
    for (QPushButton* button : m_buttons) {
        button->setEnabled(!busy);
    }
    m_write->setEnabled(!busy);
    m_stop->setEnabled(busy);
}

bool CSimulatedDevicePanel::IsBusy() const {
    return m_letter != 0;
}

bool CSimulatedDevicePanel::Request(char letter) {
    if (IsBusy()) {
        return false;
    }
    devsim::Script script;
    script.letter = letter;
    script.repeatRequestMs = kRepeatRequestMs;
    script.userTimeoutMs = devsim::kForever;
    script.timeoutMs = kTransferTimeoutMs;
    script.bytesPerSecond = m_demo.BytesPerSecond();
    devsim::SimulatedDevice& device = m_demo.Device();
    m_total = devsim::IsTextLetter(letter) ? device.Text().size() : device.Memory().size();
    if (!device.Start(std::move(script))) {
        return false;
    }
    m_letter = letter;
    m_status->setText(LoadQString(IDS_DEMO_ASKING));
    m_progress->setRange(0, 0);  // waiting, for as long as it takes
    m_progress->show();
    UpdateButtons();
    m_timer.start();
    return true;
}

void CSimulatedDevicePanel::OnMenuButton(char letter) {
    if (!Request(letter)) {
        return;
    }
    // The program answers only while its main window is active: turn back to
    // it, as a user at a real device would.
    if (m_mainWindow) {
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
}

void CSimulatedDevicePanel::Stop() {
    if (IsBusy()) {
        m_demo.Device().Stop();
        OnTick();
    }
}

void CSimulatedDevicePanel::OnTick() {
    devsim::SimulatedDevice& device = m_demo.Device();
    if (!device.Running()) {
        if (std::optional<devsim::Outcome> outcome = device.Wait(std::chrono::milliseconds(0))) {
            Finish(*outcome);
        }
        return;
    }
    const devsim::Counters c = device.Progress();
    if (devsim::IsSaveLetter(m_letter) && c.recordsSent > 0) {
        m_status->setText(FormatQString(IDS_DEMO_SENDING, Number(c.recordsSent), Number(m_total)));
        m_progress->setRange(0, static_cast<int>(std::max<std::size_t>(m_total, 1)));
        m_progress->setValue(static_cast<int>(std::min(c.recordsSent, m_total)));
    } else if (!devsim::IsSaveLetter(m_letter) && c.recordsReceived > 0) {
        m_status->setText(FormatQString(IDS_DEMO_RECEIVING, Number(c.recordsReceived)));
        m_progress->setRange(0, 0);  // how much is coming is not known
    }
}

void CSimulatedDevicePanel::Finish(const devsim::Outcome& outcome) {
    m_timer.stop();
    const char letter = m_letter;
    m_letter = 0;
    const devsim::Counters& c = outcome.counters;
    QString status;
    switch (outcome.kind) {
        case OutcomeKind::Completed: {
            if (devsim::IsSaveLetter(letter)) {
                status = FormatQString(IDS_DEMO_SENT, Number(c.recordsSent));
            } else if (letter == 'L' || letter == 'B') {
                // A completed restore becomes what the device holds.
                std::size_t lines = 0;
                if (!m_demo.Device().AdoptReceived()) {
                    status = LoadQString(IDS_DEMO_NOTHING_RECEIVED);
                } else if (letter == 'B') {
                    devsim::ReadableText(m_demo.Device().Text(), &lines);
                    status = FormatQString(IDS_DEMO_ADOPTED_TEXT, Number(lines));
                } else {
                    status = FormatQString(IDS_DEMO_ADOPTED_MEMORY, Number(c.recordsReceived));
                }
            } else {
                status = FormatQString(IDS_DEMO_RECEIVED, Number(c.recordsReceived));
            }
            break;
        }
        case OutcomeKind::Refused:
            status = LoadQString(IDS_DEMO_REFUSED);
            break;
        case OutcomeKind::Aborted:
            status = LoadQString(IDS_DEMO_ABORTED);
            break;
        case OutcomeKind::TimedOut:
            status = LoadQString(IDS_DEMO_TIMED_OUT);
            break;
        case OutcomeKind::Halted:
        case OutcomeKind::Stopped:
            status = LoadQString(IDS_DEMO_STOPPED);
            break;
        case OutcomeKind::Failed:
            status = FormatQString(IDS_DEMO_FAILED, QStr(outcome.detail));
            break;
    }
    m_status->setText(status);
    const bool completed = outcome.kind == OutcomeKind::Completed;
    m_progress->hide();
    ShowHoldings();
    // Show what the device has just taken.
    if (completed && letter == 'L') {
        m_tabs->setCurrentIndex(0);
    } else if (completed && letter == 'B') {
        m_tabs->setCurrentIndex(1);
    } else if (completed && !devsim::IsSaveLetter(letter)) {
        m_tabs->setCurrentIndex(2);
    }
    UpdateButtons();
}

bool CSimulatedDevicePanel::WriteMemory(const QString& path) {
    try {
        devsim::WriteMemoryFile(path.toStdString(), m_demo.Device().Memory());
    } catch (const std::exception& e) {
        ShowMessageBox(FormatQString(IDM_DEMO_WRITE_FAILED, path, QString::fromLocal8Bit(e.what())),
                       QMessageBox::Warning);
        return false;
    }
    m_status->setText(FormatQString(IDS_DEMO_WRITTEN, QDir::toNativeSeparators(path)));
    return true;
}

void CSimulatedDevicePanel::OnWriteMemory() {
    QFileDialog dlg(this, LoadQString(IDS_DEMO_WRITE_TITLE));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    const QString filter = LoadQString(IDS_ORV_FILTER);
    dlg.setNameFilters(NameFiltersFromTable(filter));
    dlg.setDefaultSuffix(DefaultExtensionFromTable(filter));
    dlg.setDirectory(QDir::homePath());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
        return;
    }
    WriteMemory(dlg.selectedFiles().constFirst());
}

void CSimulatedDevicePanel::EndDemonstration() {
    m_ending = true;
    close();
}

void CSimulatedDevicePanel::closeEvent(QCloseEvent* event) {
    // The device stays beside the program for the whole run: closing it ends
    // the demonstration, once the user has agreed. The main window closes
    // first (it may still ask about unsaved edits), and then this one.
    if (!m_ending && m_mainWindow &&
        ShowMessageBox(LoadQString(IDM_DEMO_END_QUESTION), QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes) {
        m_mainWindow->close();
    }
    event->setAccepted(m_ending);
}

}  // namespace orv
