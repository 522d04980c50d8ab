// The "Simulated device" window of demonstration mode: it plays the menu of
// the device itself (save and load memory, as records or as text, and for the
// models that take them, icon and sound requests), and shows what the device
// holds and what it last received.
#pragma once

#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstddef>

#include "devsim/SimulatedDevice.h"

namespace orv {

class CDemoMode;

class CSimulatedDevicePanel : public QWidget {
    Q_OBJECT
public:
    // A window of its own above mainWindow, the window that must be active
    // for the program to answer the device.
    CSimulatedDevicePanel(CDemoMode& demo, QWidget* mainWindow);
    ~CSimulatedDevicePanel() override;

    // Starts the operation of the device's menu with this letter (S, L, O, B,
    // i, V). The device repeats its request until the program answers and then
    // waits as long as its user takes. False while the device is busy.
    bool Request(char letter);
    // The device gives up what it is doing.
    void Stop();
    bool IsBusy() const;

    // Writes what the device holds as a memory file. On failure tells the
    // user and returns false.
    bool WriteMemory(const QString& path);

    // The demonstration ends: the window closes without asking.
    void EndDemonstration();

    // Around the device being replaced by one of another model.
    void Detach();
    void Attach();

    QPushButton* MenuButton(char letter) const { return m_buttons.value(letter, nullptr); }
    QPushButton* StopButton() const { return m_stop; }
    QPushButton* WriteButton() const { return m_write; }
    QString StatusText() const { return m_status->text(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void AddMenuRow(QVBoxLayout* rows, char letter, int textId, int infoId);
    // A button of the device's menu: the request, and the program's window
    // brought forward so that it answers.
    void OnMenuButton(char letter);
    void OnWriteMemory();
    void OnTick();
    void Finish(const devsim::Outcome& outcome);
    void ShowDevice();
    void ShowHoldings();
    void UpdateButtons();

    CDemoMode& m_demo;
    QPointer<QWidget> m_mainWindow;
    bool m_ending = false;
    QLabel* m_picture;
    QLabel* m_heading;
    QLabel* m_intro;
    QMap<char, QPushButton*> m_buttons;
    QMap<char, QWidget*> m_rows;
    QPushButton* m_stop;
    QLabel* m_status;
    QProgressBar* m_progress;
    QTabWidget* m_tabs;
    QStringListModel* m_memory;
    QPlainTextEdit* m_text;
    QStringListModel* m_received;
    QPushButton* m_write;
    QTimer m_timer;

    char m_letter = 0;        // the operation running, or 0
    std::size_t m_total = 0;  // records a save sends
};

}  // namespace orv
