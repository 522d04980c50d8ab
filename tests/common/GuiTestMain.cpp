// Widget tests run with a QApplication under the offscreen platform, with
// their own profile and cache folders, and never look at the machine's real
// serial ports.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "appcore/PortList.h"
#include "core/Catalogue.h"
#include "tests/common/GuiTestSupport.h"
#include "ui/Beep.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    setenv("XDG_CONFIG_HOME", QDir(home.path()).filePath("config").toLocal8Bit().constData(), 1);
    setenv("XDG_CACHE_HOME", QDir(home.path()).filePath("cache").toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    orv::LoadModelNames();
    // No test looks at the machine's own serial ports.
    orv::SetPortSource([] { return QList<orv::FoundPort>(); });
    orv::SetBeeper([] {});
    return RUN_ALL_TESTS();
}
