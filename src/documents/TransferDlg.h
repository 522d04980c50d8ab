// The progress dialog of a running transfer. While it is open it receives the
// engine's notifications: bytes, totals, disk prompts and the outcome.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <cstdint>
#include <functional>

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

    // mode: true for a memory save (device to disk). Runs the dialog modally.
    int Run(bool mode);

    void OnTransferNotify(int code, long value);
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
    // A disk prompt with OK and Cancel; Cancel asks the engine to give up.
    void AskDisk(const QString& text);

    CORVSerialPort& m_engine;
    QPointer<QObject> m_handBackTarget;
    bool m_bMode = false;
    bool m_bFinished = false;
    long long m_nTotal = 0;
    long long m_nProgressBytes = 0;
    long long m_nBytesTransferred = 0;
    long long m_nBytesAtLastRate = 0;
    uint32_t m_nTickAtLastRate = 0;

    QLabel* m_direction;
    QLabel* m_file;
    QLabel* m_bytes;
    QLabel* m_rate;
    QLabel* m_status;
    QProgressBar* m_bar;
    QPushButton* m_button;
};

}  // namespace orv
