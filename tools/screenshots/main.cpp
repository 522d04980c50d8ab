// Renders the main window, the icon properties dialog, the progress dialog of
// a restore in progress and the keyboard overlay editor into PNG files, with a
// simulated device on a pseudo-terminal and a profile in a temporary folder.
// Runs under Qt's offscreen platform.
//
//   orv-screenshots OUTPUT_FOLDER
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "OverlayShot.h"
#include "app/Beep.h"
#include "app/ORVApp.h"
#include "app/PortList.h"
#include "app/ProfileStore.h"
#include "core/Globals.h"
#include "devsim/SimulatedDevice.h"
#include "documents/TransferDlg.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "media/IconPropertiesDlg.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    // Only while no dialog runs a loop of its own.
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

bool Save(QWidget* widget, const QString& path) {
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// A small picture as a 256-colour bitmap, the kind of file icons are made of.
bool WritePicture(const QString& path) {
    QImage picture(96, 80, QImage::Format_RGB32);
    picture.fill(QColor(135, 200, 250));
    QPainter p(&picture);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 210, 0));
    p.drawEllipse(66, 6, 22, 22);
    p.setBrush(QColor(70, 170, 60));
    p.drawRect(0, 64, 96, 16);
    p.setBrush(QColor(200, 50, 40));
    p.drawPolygon(QPolygon({QPoint(12, 38), QPoint(42, 12), QPoint(72, 38)}));
    p.setBrush(QColor(245, 235, 205));
    p.drawRect(18, 38, 48, 28);
    p.setBrush(QColor(120, 70, 30));
    p.drawRect(37, 48, 11, 18);
    p.setBrush(QColor(60, 120, 220));
    p.drawRect(23, 44, 9, 9);
    p.drawRect(53, 44, 9, 9);
    p.end();
    QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    // With a full colour table Qt writes 8 bits a pixel, not 4.
    indexed.setColorCount(256);
    return indexed.save(path, "BMP");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orv-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QTemporaryDir home;
    setenv("XDG_CONFIG_HOME", qPrintable(QDir(home.path()).filePath("config")), 1);
    setenv("XDG_CACHE_HOME", qPrintable(QDir(home.path()).filePath("cache")), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication qtApp(argc, argv);
    QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));

    constexpr uint32_t kModel = 32776;  // Mirelda: four toolbar buttons
    orv::devsim::SimulatedDevice device(kModel);
    orv::SetPortSource([&] {
        return QList<orv::FoundPort>{
            {QString::fromStdString(device.PortPath()), QStringLiteral("USB-Serial Controller")}};
    });
    orv::SetBeeper([] {});
    {
        auto profile = orv::OpenUserProfile();
        profile->setValue(QStringLiteral("Version 4.2/Device"), QStringLiteral("Mirelda"));
    }

    orv::CORVApp app({});
    app.SetServerName(QStringLiteral("orv-screenshots-%1").arg(QCoreApplication::applicationPid()));
    if (!app.InitInstance()) {
        return 1;
    }
    orv::CMainFrame* frame = app.MainFrame();
    frame->activateWindow();
    WaitFor([&] { return frame->isActiveWindow(); }, 3000);
    frame->SetStatusText(QStringLiteral("Ready"));
    WaitFor([] { return false; }, 200);
    bool ok = Save(frame, out.filePath(QStringLiteral("main-window.png")));

    // The icon properties dialog as Import Icons shows it for a picture.
    QDir pictures(QDir(home.path()).filePath(QStringLiteral("Pictures")));
    pictures.mkpath(QStringLiteral("."));
    QString picture = pictures.filePath(QStringLiteral("Sunny house.bmp"));
    if (WritePicture(picture)) {
        orv::CIconPropertiesDlg icon({picture}, frame);
        ok = !icon.LoadFailed() && ok;
        icon.show();
        WaitFor([] { return false; }, 200);
        ok = Save(&icon, out.filePath(QStringLiteral("icon-properties.png"))) && ok;
        icon.close();
        // Requests from the device count only while the main window is active.
        frame->activateWindow();
        WaitFor([&] { return frame->isActiveWindow(); }, 3000);
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(picture));
        ok = false;
    }

    // A restore of a sample memory; the device pauses before it answers a
    // record in the middle, and the dialog is taken during the pause. The
    // dialog runs its own event loop, so the steps are driven by a timer.
    QDir backups(QDir(home.path()).filePath(QStringLiteral("Backups")));
    backups.mkpath(QStringLiteral("."));
    QString memory = backups.filePath(QStringLiteral("Mirelda backup.ORV"));
    orv::devsim::WriteMemoryFile(memory.toStdString(), orv::devsim::MakeSampleMemory(kModel, 400));
    orv::g_Globals.SerialPort->ArmTransfer(memory.toStdString(), orv::Restore);
    orv::devsim::Script script;
    script.letter = 'L';
    script.faults.silence[120] = 600;  // long enough for a first rate
    script.faults.silence[260] = 2500;
    device.Start(script);

    bool taken = false;
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer paused;
    QTimer steps;
    QObject::connect(&steps, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<orv::CTransferDlg*>(QApplication::activeModalWidget());
        if (clock.elapsed() > 30000) {
            std::fprintf(stderr, "the transfer did not get under way\n");
            if (dialog) {
                dialog->done(0);
            }
            qtApp.exit(1);
            return;
        }
        if (!taken) {
            if (dialog && device.Progress().recordsReceived >= 260) {
                if (!paused.isValid()) {
                    paused.start();
                } else if (paused.elapsed() > 700) {
                    ok = Save(dialog, out.filePath(QStringLiteral("transfer-progress.png"))) && ok;
                    taken = true;
                }
            }
            return;
        }
        if (dialog && dialog->IsFinished()) {
            dialog->done(0);
        } else if (!dialog && !device.Running()) {
            qtApp.exit(0);
        }
    });
    steps.start(50);
    ok = qtApp.exec() == 0 && ok;
    device.Wait(std::chrono::seconds(5));
    ok = ShootOverlayEditor(app, home.path(), out.path(), Save) && ok;
    app.ExitInstance();
    return ok ? 0 : 1;
}
