// Renders the main window (with a file armed, and in large type), the icon
// properties dialog (for a bitmap and for a photo), the progress dialog of a restore in progress,
// the keyboard overlay editor and demonstration mode during a save into PNG files, with a simulated
// device on a pseudo-terminal and a profile in a temporary folder. Runs under Qt's offscreen
// platform.
//
//   orv-screenshots OUTPUT_FOLDER
#include <stdlib.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "OverlayShot.h"
#include "app/ORVApp.h"
#include "appcore/PortList.h"
#include "appcore/ProfileStore.h"
#include "core/Globals.h"
#include "demo/DemoMode.h"
#include "demo/SimulatedDevicePanel.h"
#include "devsim/SimulatedDevice.h"
#include "documents/TransferDlg.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "mediaui/IconPropertiesDlg.h"
#include "ui/Beep.h"
#include "ui/ToolbarIcons.h"

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

// A desktop for the picture: the windows where they stand, each under a
// title bar with its caption (the offscreen platform draws no decorations).
QImage Desktop(const QList<QWidget*>& windows) {
    constexpr int kTitle = 26;
    constexpr int kMargin = 16;
    QRect area;
    for (QWidget* w : windows) {
        area |= w->frameGeometry().adjusted(0, -kTitle, 0, 0);
    }
    area.adjust(-kMargin, -kMargin, kMargin, kMargin);
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(QColor(0x5a, 0x6e, 0x80));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (QWidget* w : windows) {
        QRect r = w->frameGeometry().translated(-area.topLeft());
        QRect bar(r.left(), r.top() - kTitle, r.width(), kTitle);
        p.fillRect(bar.adjusted(-1, -1, 1, 0), QColor(0x2b, 0x3a, 0x48));
        p.fillRect(r.adjusted(-1, 0, 1, 1), QColor(0x2b, 0x3a, 0x48));
        QFont font = w->font();
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(bar.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, w->windowTitle());
        p.drawPixmap(r.topLeft(), w->grab());
    }
    return image;
}

bool Save(const QImage& image, const QString& path) {
    if (!image.save(path)) {
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

// A photo as a phone takes it: a sunset over the sea in smooth shades, as a
// JPEG stored sideways with the EXIF orientation 6 that tells viewers to turn
// it a quarter clockwise.
bool WritePhoto(const QString& path) {
    QImage photo(640, 480, QImage::Format_RGB32);
    QPainter p(&photo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(30, 50, 130));
    sky.setColorAt(0.6, QColor(200, 110, 150));
    sky.setColorAt(1, QColor(255, 170, 70));
    p.fillRect(0, 0, 640, 300, sky);
    QRadialGradient sun(420, 270, 90);
    sun.setColorAt(0, QColor(255, 250, 210));
    sun.setColorAt(0.35, QColor(255, 215, 90));
    sun.setColorAt(1, QColor(255, 170, 70, 0));
    p.fillRect(300, 150, 240, 150, sun);
    QLinearGradient sea(0, 300, 0, 400);
    sea.setColorAt(0, QColor(230, 140, 90));
    sea.setColorAt(1, QColor(20, 70, 110));
    p.fillRect(0, 300, 640, 100, sea);
    QLinearGradient sand(0, 380, 0, 480);
    sand.setColorAt(0, QColor(225, 190, 140));
    sand.setColorAt(1, QColor(150, 110, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    p.drawPolygon(QPolygon(
        {QPoint(0, 390), QPoint(260, 372), QPoint(640, 410), QPoint(640, 480), QPoint(0, 480)}));
    // A palm against the light.
    p.setBrush(QColor(40, 30, 35));
    p.drawPolygon(
        QPolygon({QPoint(128, 440), QPoint(142, 440), QPoint(178, 190), QPoint(170, 188)}));
    for (int angle = -150; angle <= -30; angle += 30) {
        p.save();
        p.translate(174, 190);
        p.rotate(angle);
        p.drawEllipse(QRectF(0, -9, 95, 18));
        p.restore();
    }
    p.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!photo.transformed(QTransform().rotate(-90)).save(&buffer, "JPEG", 92)) {
        return false;
    }
    const char exif[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,  'M', 'M',
                         0,      42,     0, 0,  0,   8,   0,   1,   1, 18, 0,   3,
                         0,      0,      0, 1,  0,   6,   0,   0,   0, 0,  0,   0};
    jpeg.insert(2, exif, sizeof exif);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size();
}

bool Save(QWidget* widget, const QString& path) {
    return Save(widget->grab().toImage(), path);
}

// Runs the event loop through one transfer, which the progress dialog's own
// loop drives: shoot is offered the dialog until it has taken its picture,
// then the dialog is closed once the transfer has ended, and the loop ends
// when idle says so. False when the transfer did not get under way.
bool RunTransfer(QApplication& qtApp, const std::function<bool(orv::CTransferDlg*)>& shoot,
                 const std::function<bool()>& idle) {
    bool taken = false;
    QElapsedTimer clock;
    clock.start();
    QTimer steps;
    QObject::connect(&steps, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<orv::CTransferDlg*>(QApplication::activeModalWidget());
        if (clock.elapsed() > 30000) {
            std::fprintf(stderr, "the transfer did not get under way\n");
            if (dialog) {
                dialog->done(0);
            }
            qtApp.exit(1);
        } else if (!taken) {
            taken = dialog && shoot(dialog);
        } else if (dialog && dialog->IsFinished()) {
            dialog->done(0);
        } else if (!dialog && idle()) {
            qtApp.exit(0);
        }
    });
    steps.start(20);
    return qtApp.exec() == 0;
}

constexpr uint32_t kModel = 32776;  // Mirelda: four toolbar buttons

// The main window, the icon properties dialog, the progress dialog of a
// restore and the overlay editor.
bool StandardScreenshots(QApplication& qtApp, const QDir& out, const QString& home) {
    orv::devsim::SimulatedDevice device(kModel);
    orv::SetPortSource([&] {
        return QList<orv::FoundPort>{
            {QString::fromStdString(device.PortPath()), QStringLiteral("USB-Serial Controller")}};
    });
    {
        auto profile = orv::OpenUserProfile();
        profile->setValue(QStringLiteral("Version 4.2/Device"), QStringLiteral("Mirelda"));
    }

    orv::CORVApp app({});
    app.SetServerName(QStringLiteral("orv-screenshots-%1").arg(QCoreApplication::applicationPid()));
    if (!app.InitInstance()) {
        return false;
    }
    orv::CMainFrame* frame = app.MainFrame();
    frame->activateWindow();
    WaitFor([&] { return frame->isActiveWindow(); }, 3000);
    // A backup chosen with Save memory: the window says it waits for the device.
    QDir backups(QDir(home).filePath(QStringLiteral("Backups")));
    backups.mkpath(QStringLiteral("."));
    QString memory = backups.filePath(QStringLiteral("Mirelda backup.ORV"));
    app.Engine().ArmTransfer(memory.toStdString(), orv::Save);
    frame->ShowArmedTransfer();
    WaitFor([] { return false; }, 200);
    bool ok = Save(frame, out.filePath(QStringLiteral("main-window.png")));

    // The same window in large type, as a user with low vision sets it.
    const QFont usual = QApplication::font();
    QFont large = usual;
    large.setPointSizeF(18);
    QApplication::setFont(large);
    WaitFor([] { return false; }, 200);
    ok = Save(frame, out.filePath(QStringLiteral("main-window-large-type.png"))) && ok;
    QApplication::setFont(usual);
    WaitFor([] { return false; }, 200);

    // The icon properties dialog as Import Icons shows it for a picture.
    QDir pictures(QDir(home).filePath(QStringLiteral("Pictures")));
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

    // A photo from a phone, cropped to fill and dithered, then fitted whole
    // without dithering for comparison.
    QString photo = pictures.filePath(QStringLiteral("Beach at sunset.jpg"));
    if (WritePhoto(photo)) {
        orv::g_Globals.CropToFill = 1;
        orv::g_Globals.DitherColours = 1;
        orv::CIconPropertiesDlg icon({photo}, frame);
        ok = !icon.LoadFailed() && ok;
        icon.show();
        WaitFor([] { return false; }, 200);
        ok = Save(&icon, out.filePath(QStringLiteral("icon-properties-photo.png"))) && ok;
        icon.KeepAspectCheck()->click();
        icon.DitherCheck()->click();
        WaitFor([] { return false; }, 200);
        ok = Save(&icon, out.filePath(QStringLiteral("icon-properties-photo-plain.png"))) && ok;
        icon.close();
        orv::g_Globals.CropToFill = 0;
        frame->activateWindow();
        WaitFor([&] { return frame->isActiveWindow(); }, 3000);
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(photo));
        ok = false;
    }

    // A restore of a sample memory; the device pauses before it answers a
    // record in the middle, and the dialog is taken during the pause. The
    // dialog runs its own event loop, so the steps are driven by a timer.
    orv::devsim::WriteMemoryFile(memory.toStdString(), orv::devsim::MakeSampleMemory(kModel, 400));
    app.Engine().ArmTransfer(memory.toStdString(), orv::Restore);
    orv::devsim::Script script;
    script.letter = 'L';
    script.faults.silence[120] = 600;  // long enough for a first rate
    script.faults.silence[260] = 2500;
    device.Start(script);

    QElapsedTimer paused;
    auto shoot = [&](orv::CTransferDlg* dialog) {
        if (device.Progress().recordsReceived < 260) {
            return false;
        }
        if (!paused.isValid()) {
            paused.start();
        }
        if (paused.elapsed() <= 700) {
            return false;
        }
        ok = Save(dialog, out.filePath(QStringLiteral("transfer-progress.png"))) && ok;
        return true;
    };
    ok = RunTransfer(qtApp, shoot, [&] { return !device.Running(); }) && ok;
    device.Wait(std::chrono::seconds(5));
    ok = ShootOverlayEditor(app, home, out.path(),
                            [](QWidget* w, const QString& path) { return Save(w, path); }) &&
         ok;
    app.ExitInstance();
    return ok;
}

// Demonstration mode halfway through a save started in the device's panel,
// at the pace of the model's line.
bool DemoScreenshot(QApplication& qtApp, const QDir& out, const QString& home) {
    orv::CORVApp app({QStringLiteral("--demo")});
    app.SetServerName(
        QStringLiteral("orv-screenshots-demo-%1").arg(QCoreApplication::applicationPid()));
    if (!app.InitInstance()) {
        return false;
    }
    orv::CMainFrame* frame = app.MainFrame();
    orv::CDemoMode& demo = *app.Demo();
    orv::CSimulatedDevicePanel& panel = *demo.Panel();
    // Side by side, as on a screen wide enough for both.
    panel.move(frame->frameGeometry().right() + 24, frame->frameGeometry().top());
    frame->activateWindow();
    WaitFor([&] { return frame->isActiveWindow(); }, 3000);

    // The file is chosen beforehand, as with Save memory in the File menu.
    QString path = QDir(home).filePath(QStringLiteral("Backups/Mirelda.ORV"));
    app.Engine().ArmTransfer(path.toStdString(), orv::Save);
    panel.MenuButton('S')->click();

    bool ok = true;
    auto shoot = [&](orv::CTransferDlg* dialog) {
        if (demo.Device().Progress().recordsSent < 140) {
            return false;
        }
        ok = Save(Desktop({frame, &panel, dialog}), out.filePath("demo-mode.png"));
        return true;
    };
    ok = RunTransfer(qtApp, shoot, [&] { return !panel.IsBusy(); }) && ok;
    app.ExitInstance();
    return ok;
}

// The program's icon at each installed size, as FOLDER/SIZE/orv.png.
int WriteIcons(const QDir& out) {
    for (int size : orv::kAppIconSizes) {
        QString folder = QString::number(size);
        if (!out.mkpath(folder) ||
            !orv::AppIconImage(size).save(out.filePath(folder + QStringLiteral("/orv.png")))) {
            std::fprintf(stderr, "orv-screenshots: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) {
        return WriteIcons(QDir(QString::fromLocal8Bit(argv[2])));
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: orv-screenshots OUTPUT_FOLDER | --icons FOLDER\n");
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
    orv::SetBeeper([] {});

    bool ok = StandardScreenshots(qtApp, out, home.path());
    ok = DemoScreenshot(qtApp, out, home.path()) && ok;
    return ok ? 0 : 1;
}
