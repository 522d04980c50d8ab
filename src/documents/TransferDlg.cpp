#include "documents/TransferDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "documents/YesNoDlg.h"
#include "engine/Serial.h"
#include "ui/Beep.h"
#include "ui/ControlIds.h"
#include "ui/DialogUnits.h"
#include "ui/MessageBox.h"
#include "ui/NotifyEvent.h"
#include "ui/QtText.h"

namespace orv {
namespace {

// The plain beep is the one sound every desktop makes without a sound theme or
// any audio set up, so success and failure differ by rhythm: six quick beeps
// for a completed transfer, three slow ones for any other end.
constexpr int kSuccessBeeps = 6;
constexpr int kSuccessBeepIntervalMs = 100;
constexpr int kFailureBeeps = 3;
constexpr int kFailureBeepIntervalMs = 500;
constexpr int kShowIntervalMs = 33;

CTransferDlg::TickSource& Ticks() {
    static CTransferDlg::TickSource source;
    return source;
}

uint32_t Now() {
    if (Ticks()) {
        return Ticks()();
    }
    static QElapsedTimer clock;
    if (!clock.isValid()) {
        clock.start();
    }
    return static_cast<uint32_t>(clock.elapsed());
}

QLabel* MakeLabel(QWidget* parent, int id, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(parent);
    label->setObjectName(ControlName(id));
    label->setAlignment(align);
    return label;
}

}  // namespace

void CTransferDlg::SetTickSource(TickSource source) {
    Ticks() = std::move(source);
}

CTransferDlg::CTransferDlg(CORVSerialPort& engine, QObject* handBackTarget, QWidget* parent)
    : QDialog(parent), m_engine(engine), m_handBackTarget(handBackTarget) {
    setObjectName(ControlName(IDD_TRANSFER));
    setWindowTitle(LoadQString(IDS_TRANSFER_CAPTION));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    // Made in reading order: a screen reader walks the children as created,
    // so each caption comes before its value.
    m_direction = MakeLabel(this, IDC_TRANSFER_DIRECTION);
    m_direction->setFont(ScaledFont(m_direction->font(), 1.15));
    m_file = MakeLabel(this, IDC_TRANSFER_FILE);
    m_file->setWordWrap(true);
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* bytesLabel = new QLabel(LoadQString(IDS_TRANSFER_BYTES_LABEL), this);
    m_bytes = MakeLabel(this, IDC_TRANSFER_BYTES, Qt::AlignRight | Qt::AlignVCenter);
    auto* rateLabel = new QLabel(LoadQString(IDS_TRANSFER_RATE_LABEL), this);
    rateLabel->setObjectName(ControlName(IDC_TRANSFER_RATE_CAPTION));
    m_rate = MakeLabel(this, IDC_TRANSFER_RATE, Qt::AlignRight | Qt::AlignVCenter);
    // The caption labels its value for assistive technology.
    bytesLabel->setBuddy(m_bytes);
    rateLabel->setBuddy(m_rate);
    m_status = MakeLabel(this, IDC_TRANSFER_STATUS, Qt::AlignCenter);
    m_status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_status->setWordWrap(true);
    m_status->setMargin(8);
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 4 + 16);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(ControlName(IDC_TRANSFER_BAR));
    m_bar->setAccessibleName(LoadQString(IDS_TRANSFER_BAR_NAME));
    // The bar's room is kept while it is hidden: the dialog does not change
    // size, and so does not move, when a total arrives.
    QSizePolicy barPolicy = m_bar->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    m_bar->setSizePolicy(barPolicy);
    m_button = new QPushButton(LoadQString(IDS_BUTTON_CANCEL), this);
    m_button->setObjectName(ControlName(IDC_CANCEL));
    m_button->setDefault(true);
    connect(m_button, &QPushButton::clicked, this, &CTransferDlg::OnCancel);

    auto* counts = new QGridLayout;
    counts->addWidget(bytesLabel, 0, 0);
    counts->addWidget(m_bytes, 0, 1);
    counts->addWidget(rateLabel, 1, 0);
    counts->addWidget(m_rate, 1, 1);
    counts->setColumnMinimumWidth(
        1, m_bytes->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    counts->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_button);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->addWidget(m_direction);
    layout->addWidget(m_file);
    layout->addLayout(counts);
    layout->addWidget(m_status);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    // Records may come by the thousand a second; the figures are shown at
    // most about thirty times a second, and exactly at the end.
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(kShowIntervalMs);
    connect(&m_showTimer, &QTimer::timeout, this, &CTransferDlg::ShowProgressNow);
}

CTransferDlg::~CTransferDlg() {
    HandBackTarget();
    m_finished.Release();
}

int CTransferDlg::Run(bool mode, Notification request) {
    m_request = std::move(request);
    m_bMode = mode;
    m_bFinished = false;
    OnInitDialog();
    CentreOnOwner();
    return exec();
}

void CTransferDlg::CentreOnOwner() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible()) {
        return;  // the window system places it
    }
    ensurePolished();
    adjustSize();
    QRect area = owner->frameGeometry();
    QRect frame = frameGeometry();
    QPoint topLeft = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
    // Never with its title bar off the screen.
    if (QScreen* screen = owner->screen()) {
        QRect room = screen->availableGeometry();
        topLeft.setX(std::max(room.left(), std::min(topLeft.x(), room.right() - frame.width())));
        topLeft.setY(std::max(room.top(), std::min(topLeft.y(), room.bottom() - frame.height())));
    }
    move(topLeft);
}

void CTransferDlg::OnInitDialog() {
    QFont bold = m_status->font();
    bold.setBold(true);
    m_status->setFont(bold);
    m_status->setText(LoadQString(IDM_TRANSFER_IN_PROGRESS));

    QString model = QStr(g_Globals.ModelName);
    QString disk = LoadQString(IDS_DISK);
    m_direction->setText(m_bMode ? FormatQString(IDM_TRANSFER_DIRECTION, model, disk)
                                 : FormatQString(IDM_TRANSFER_DIRECTION, disk, model));
    m_bar->hide();
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_rateChanged = false;
    m_progress.Start(Now());
    m_bytes->setText(QStringLiteral("0"));
    m_rate->setText(QStringLiteral("0"));

    ShowFileName();
    m_engine.SetNotificationTarget(static_cast<QObject*>(this));
    m_request.Release();
}

void CTransferDlg::ShowOutcome(int messageId) {
    QString outcome = LoadQString(messageId);
    m_status->setText(outcome);
    m_button->setText(LoadQString(IDS_BUTTON_OK));
    // A screen reader speaks the focused button's new description: the user
    // hears the outcome without looking for the status text.
    m_button->setFocus(Qt::OtherFocusReason);
    m_button->setAccessibleDescription(outcome);
    if (messageId == IDM_TRANSFER_COMPLETED) {
        BeepTimes(kSuccessBeeps, kSuccessBeepIntervalMs);
    } else {
        BeepTimes(kFailureBeeps, kFailureBeepIntervalMs);
    }
    // Someone working in another program is called back by the taskbar.
    if (!QApplication::activeWindow()) {
        RequestAttention(parentWidget() ? parentWidget()->window() : this);
    }
}

void CTransferDlg::ShowFileName() {
    m_file->setText(QStr(m_engine.ArmedKind() == ImportSound ? m_engine.SoundSourcePath()
                                                             : m_engine.CurrentFileName()));
}

void CTransferDlg::customEvent(QEvent* event) {
    if (event->type() == NotifyEvent::kType) {
        OnTransferNotify(static_cast<NotifyEvent*>(event)->Take());
        return;
    }
    QDialog::customEvent(event);
}

void CTransferDlg::AskDisk(int code) {
    QString text = QStr(DiskPromptText(code, m_engine.CurrentFileName(), m_engine.FileErrorText()));
    if (ShowMessageBox(text, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel,
                       QMessageBox::Ok) != QMessageBox::Ok) {
        m_engine.SetCancel();
    }
}

void CTransferDlg::OnTransferNotify(Notification note) {
    const int code = note.Code();
    const long value = note.Value();
    CheckNotification(code, m_engine);
    switch (code) {
        case TN_SET_TOTAL:
            // The worker goes on first: the line waits for nothing we show.
            note.Release();
            m_progress.SetTotal(value);
            m_bar->show();
            ShowProgressSoon();
            return;
        case TN_ADD_BYTES:
            note.Release();
            m_rateChanged = m_progress.Add(value, Now()) || m_rateChanged;
            ShowProgressSoon();
            return;
        case TN_DISK_FULL:
        case TN_INSERT_CONTINUATION:
        case TN_REINSERT_FIRST:
            ShowProgressNow();
            AskDisk(code);
            ShowFileName();
            break;
        case TN_CANNOT_CONTINUE:
            ShowProgressNow();
            AskDisk(code);
            break;
        case TN_FINISHED:
            ShowProgressNow();
            ShowOutcome(static_cast<int>(value & 0xFFFF));
            ShowFileName();
            m_bFinished = true;
            // The worker stays blocked until the dialog has closed.
            m_finished = std::move(note);
            return;
        default:
            ORV_INTERNAL_ERROR();
            break;
    }
    note.Release();
}

void CTransferDlg::ShowProgressSoon() {
    if (!m_showTimer.isActive()) {
        m_showTimer.start();
    }
}

void CTransferDlg::ShowProgressNow() {
    m_showTimer.stop();
    // A label or bar given what it already shows does not repaint.
    m_bytes->setText(QString::number(m_progress.Bytes()));
    if (m_rateChanged) {
        m_rateChanged = false;
        m_rate->setText(QStr(m_progress.RateText()));
    }
    if (m_progress.HasTotal()) {
        m_bar->setValue(m_progress.Percent());
    }
}

void CTransferDlg::OnCancel() {
    if (m_bFinished) {
        done(0);
        return;
    }
    QString question =
        m_bMode ? FormatQString(IDM_CANCEL_SAVE_QUESTION, QStr(m_engine.CurrentFileName()))
                : FormatQString(IDM_CANCEL_RESTORE_QUESTION, QStr(g_Globals.ModelName));
    CYesNoDlg ask(question, this);
    int answer = ask.exec();
    // The transfer may have ended while the question was open.
    if (answer == CYesNoDlg::IDYES && !m_bFinished) {
        m_engine.SetCancel();
    }
}

void CTransferDlg::reject() {
    OnCancel();
}

void CTransferDlg::HandBackTarget() {
    if (m_engine.NotificationTarget() == static_cast<QObject*>(this)) {
        m_engine.SetNotificationTarget(m_handBackTarget.data());
    }
}

void CTransferDlg::done(int result) {
    HandBackTarget();
    QDialog::done(result);
    // Closed: the worker may go on with the main window as its target.
    m_finished.Release();
}

}  // namespace orv
