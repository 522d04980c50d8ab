// Helpers for the widget tests: a scripted user for modal dialogs, waiting on
// the event loop, and the desktop program started on a simulated device with
// a profile of its own.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "devsim/SimulatedDevice.h"
#include "tests/common/TestSupport.h"

namespace orv {
class CORVApp;
class CORVSerialPort;
class CMainFrame;
}  // namespace orv

namespace orv::test {

// Runs the event loop until done() is true or timeoutMs passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
void Pump(int ms);
// Makes window the active one and waits until it is. Asks again while it is
// not: a window that closed a moment before may hand activation back late.
bool ActivateWindow(QWidget& window, int timeoutMs = 5000);

// Plays the user in front of modal dialogs. Each step is offered the active
// modal widget and returns true once it has dealt with it; steps run in
// order. A modal dialog that no step takes within the patience time is
// closed and recorded, so that a test never hangs.
class ModalDriver {
public:
    using Step = std::function<bool(QWidget* modal)>;

    ModalDriver();
    ~ModalDriver();

    void Then(Step step);
    bool Done() const { return m_steps.empty(); }
    // Waits until every step has run.
    bool WaitDone(int timeoutMs = 15000);
    // Texts of modal dialogs closed because no step expected them.
    const QStringList& Unexpected() const { return m_unexpected; }

    // Common steps.
    // A message box: records its text and presses the button.
    static Step Answer(QMessageBox::StandardButton button, QString* text = nullptr,
                       QString* caption = nullptr);
    // A file chooser: chooses the files (one or several) and accepts, or cancels.
    static Step ChooseFiles(const QStringList& paths, QString* title = nullptr);
    static Step CancelChooser(QString* title = nullptr);
    // The progress dialog: closes it once the transfer has ended, noting the
    // outcome it shows and the file it names.
    static Step CloseFinishedTransfer(QString* status = nullptr, QString* file = nullptr);

private:
    void Tick();

    QTimer m_timer;
    std::deque<Step> m_steps;
    QPointer<QWidget> m_waitingOn;
    int m_waitedTicks = 0;
    QStringList m_unexpected;
};

// A file chooser's selection of several files, as the user types it.
QString MultiSelection(const QStringList& names);

// Gives every test a clean profile (the process's XDG_CONFIG_HOME is a
// temporary folder set up by the test main) and maps COM ports to devices.
void ClearProfile();
void MapPortInProfile(int commPort, const std::string& devicePath);
// Writes one value of the profile ("Version 4.2/Device" and the like).
void SetProfileValue(const QString& key, const QVariant& value);
QVariant ProfileValue(const QString& key);

// The desktop program on a simulated device: a fresh profile with COM1 on
// the device's pseudo-terminal, started and shown.
class AppHarness {
public:
    explicit AppHarness(uint32_t modelId = 32771, bool start = true);
    ~AppHarness();

    bool Start(const QStringList& arguments = {});
    // The name later starts look for; by default one of the test's own.
    void UseServerName(const QString& name) { m_serverName = name; }
    // Exit as the program does it at the end of the run.
    void Exit();

    CORVApp& App() { return *m_app; }
    CORVSerialPort& Engine();
    CMainFrame& Frame();
    devsim::SimulatedDevice& Device() { return *m_device; }
    // Makes the main window the active window, as device requests need.
    bool Activate();

private:
    std::unique_ptr<devsim::SimulatedDevice> m_device;
    std::unique_ptr<CORVApp> m_app;
    QString m_serverName;
    bool m_exited = false;
};

}  // namespace orv::test
