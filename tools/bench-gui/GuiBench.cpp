// orv-bench-gui: orv-bench's restore and save through the desktop program's
// progress dialog. The notifications reach the dialog as events on the
// user-interface thread, which runs the dialog as the main window does; the
// dialog is closed as soon as it shows the outcome.
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "documents/TransferDlg.h"
#include "engine/Serial.h"
#include "tools/bench/TimingDevice.h"
#include "tools/bench/Workload.h"
#include "ui/ControlIds.h"
#include "ui/NotifyEvent.h"
#include "ui/QtText.h"

namespace {

constexpr auto kLimit = std::chrono::minutes(5);

class EventHost : public orv::EngineHost {
public:
    void SetMainWindow(QObject* main) { m_main = main; }
    void PostNotification(orv::NotifyTarget target, orv::Notification note) override {
        QObject* receiver = target ? static_cast<QObject*>(target) : m_main;
        QCoreApplication::postEvent(receiver, new orv::NotifyEvent(std::move(note)));
    }
    orv::NotifyTarget MainWindowTarget() override { return m_main; }
    bool IsMainWindowForeground() override { return true; }
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool AskOkCancel(const std::string&) override { return false; }
    void AddToRecentFiles(const std::string&) override {}
    std::string DevicePathForPort(int) override { return {}; }
    void LinkLost() override {}

private:
    QObject* m_main = nullptr;
};

// Presses OK once the dialog has shown the outcome.
class CloseAtEnd : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == orv::NotifyEvent::kType &&
            static_cast<orv::NotifyEvent*>(event)->Code() == orv::TN_FINISHED) {
            auto* dlg = static_cast<orv::CTransferDlg*>(watched);
            QTimer::singleShot(0, dlg, [dlg] { dlg->done(0); });
        }
        return false;
    }
};

// The main window's part: a device request runs the progress dialog, which
// releases the worker once it has closed.
class MainWindow : public QWidget {
public:
    explicit MainWindow(orv::CORVSerialPort& engine) : m_engine(engine) {}

    QString status;  // what the dialog showed at the end
    QString bytes;
    bool served = false;
    std::function<void()> onServed;

protected:
    void customEvent(QEvent* event) override {
        if (event->type() != orv::NotifyEvent::kType) {
            QWidget::customEvent(event);
            return;
        }
        orv::Notification note = static_cast<orv::NotifyEvent*>(event)->Take();
        int code = note.Code();
        orv::CheckNotification(code, m_engine);
        if (code == orv::TN_SAVE_REQUEST || code == orv::TN_RESTORE_REQUEST) {
            orv::CTransferDlg dlg(m_engine, this, this);
            CloseAtEnd closer;
            dlg.installEventFilter(&closer);
            QObject::connect(&dlg, &QDialog::finished, [&] {
                status = dlg.findChild<QLabel*>(orv::ControlName(orv::IDC_TRANSFER_STATUS))->text();
                bytes = dlg.findChild<QLabel*>(orv::ControlName(orv::IDC_TRANSFER_BYTES))->text();
            });
            dlg.Run(code == orv::TN_SAVE_REQUEST, std::move(note));
            served = true;
        }
        note.Release();
        if (served && onServed) {
            onServed();
        }
    }

private:
    orv::CORVSerialPort& m_engine;
};

// Runs one transfer of the device on its own thread while the event loop
// runs, until the device has finished and the dialog has closed.
template <typename DeviceSide>
orv::bench::Timings Serve(MainWindow& window, DeviceSide deviceSide) {
    QEventLoop loop;
    orv::bench::Timings timings;
    bool deviceDone = false;
    window.served = false;
    window.status.clear();
    window.onServed = [&] {
        if (deviceDone) {
            loop.quit();
        }
    };
    std::thread device([&] {
        orv::bench::Timings result = deviceSide();
        QMetaObject::invokeMethod(
            &loop,
            [&, result] {
                timings = result;
                deviceDone = true;
                if (window.served || !timings.completed) {
                    loop.quit();
                }
            },
            Qt::QueuedConnection);
    });
    loop.exec();
    device.join();
    window.onServed = nullptr;
    return timings;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orv::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::size_t records = RecordsFromArguments(argc, argv);
    if (records == 0) {
        std::fprintf(stderr, "usage: orv-bench-gui [--records N]\n");
        return 2;
    }
    orv::LoadModelNames();
    orv::g_Globals.SelectModel(orv::ModelIndexOf(kBenchModel));
    orv::g_Globals.BaudIndex = kBenchBaudIndex;
    Workload work(records);
    TimingDevice device(kBenchModel);

    // The host needs the window and the window the engine: the window is
    // made first and learns its engine before any notification can come.
    EventHost host;
    orv::CORVSerialPort port(host);
    MainWindow window(port);
    host.SetMainWindow(&window);
    window.resize(640, 480);
    window.show();
    window.activateWindow();
    port.SetDevicePath(device.PortPath());
    if (!port.OpenPort()) {
        return 1;
    }
    const QString completed = orv::LoadQString(orv::IDM_TRANSFER_COMPLETED);

    port.ArmTransfer(work.RestoreFile(), orv::Restore);
    Timings restore = Serve(window, [&] { return device.Restore(kLimit); });
    if (window.status != completed || restore.records != records) {
        restore.completed = false;
        restore.detail += " (the dialog showed \"" + window.status.toStdString() + "\")";
    }
    Print("restore", "dialog", restore);

    port.ArmTransfer(work.SaveFile(), orv::Save);
    Timings save = Serve(window, [&] { return device.Save(work.Memory(), kLimit); });
    if (window.status != completed || !work.SavedAsSent()) {
        save.completed = false;
        save.detail += " (the dialog showed \"" + window.status.toStdString() + "\")";
    }
    Print("save", "dialog", save);
    port.ClosePort();
    return restore.completed && save.completed ? 0 : 1;
}
