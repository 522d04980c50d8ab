// The progress dialog of a running transfer. While it is open it receives the
// engine's notifications: bytes, totals, disk prompts and the outcome.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "engine/EngineHost.h"
#include "engine/Progress.h"

namespace orv {

class CORVSerialPort;

class CTransferDlg : public QDialog {
    Q_OBJECT
public:
    // Milliseconds of a steady clock, wrapping at 2^32 like a tick counter.
    using TickSource = std::function<uint32_t()>;
    // Replaces the clock of the rate display; null restores the steady clock.
    static void SetTickSource(TickSource source);

    // engine: the transfer shown. handBackTarget: where the engine's
    // notifications go again once the dialog closes (the main window).
    CTransferDlg(CORVSerialPort& engine, QObject* handBackTarget, QWidget* parent = nullptr);
    ~CTransferDlg() override;

    // mode: true for a memory save (device to disk). Runs the dialog modally;
    // request, the engine's request notification, is released once the
    // dialog has taken the notifications.
    int Run(bool mode, Notification request = {});

    // Handles and releases note; TN_FINISHED is kept until the dialog closes.
    // Bytes and totals release the worker at once and are shown a moment
    // later, together with any that follow.
    void OnTransferNotify(Notification note);
    // Shows the figures so far now instead of a moment later.
    void ShowProgressNow();
    void OnCancel();

    bool IsFinished() const { return m_bFinished; }
    bool IsSaveMode() const { return m_bMode; }

    void reject() override;  // the Cancel button and Escape
    void done(int result) override;

protected:
    void customEvent(QEvent* event) override;

private:
    void OnInitDialog();
    // Over the middle of the window that owns it, whatever the mode.
    void CentreOnOwner();
    // The end: the outcome shown and announced, its sound, and a call for
    // the user's attention when the program is not in front.
    void ShowOutcome(int messageId);
    void HandBackTarget();
    void ShowFileName();
    // The disk prompt of a notification code, with OK and Cancel; Cancel asks
    // the engine to give up.
    void AskDisk(int code);
    void ShowProgressSoon();

    CORVSerialPort& m_engine;
    QPointer<QObject> m_handBackTarget;
    bool m_bMode = false;
    bool m_bFinished = false;
    TransferProgress m_progress;
    bool m_rateChanged = false;  // a new rate not shown yet
    QTimer m_showTimer;
    Notification m_request;
    Notification m_finished;  // released by closing the dialog

    QLabel* m_direction;
    QLabel* m_file;
    QLabel* m_bytes;
    QLabel* m_rate;
    QLabel* m_status;
    QProgressBar* m_bar;
    QPushButton* m_button;
};

}  // namespace orv
