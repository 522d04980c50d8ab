// The main window, start-up and exit, device selection, help and the about box.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QWhatsThis>
#include <filesystem>

#include "app/AboutDlg.h"
#include "app/Help.h"
#include "app/ORVApp.h"
#include "app/RecentFileList.h"
#include "app/SingleInstance.h"
#include "appcore/PortList.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "documents/ORVView.h"
#include "frame/MainFrm.h"
#include "tests/common/GuiTestSupport.h"
#include "ui/CommandIds.h"

namespace orv::test {
namespace {

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions()) {
        texts.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return texts;
}

QMenu* TopMenu(CMainFrame& frame, int index) {
    return frame.menuBar()->actions().value(index)->menu();
}

TEST(StartUp, EmptyProfileNumbersTheOnlyAdapterDefaultsAndExitWritesTheSettings) {
    // The only serial device of the machine is the simulated one.
    AppHarness harness(32771, false);
    devsim::SimulatedDevice& device = harness.Device();
    ClearProfile();  // not even the harness's port map
    ASSERT_TRUE(harness.Start());

    EXPECT_EQ(g_Globals.ModelName, "Corvane");
    EXPECT_EQ(g_Globals.BaudIndex, -1);
    EXPECT_EQ(g_Globals.CommPort, 1);
    EXPECT_EQ(harness.Frame().windowTitle(), "ORV - Corvane");
    EXPECT_EQ(g_Globals.MainView->Instructions().toStdString(), LoadString(500));
    // Numbered before the port was opened: COM1 is the adapter and it is open.
    EXPECT_EQ(ProfileValue("Ports/COM1").toString().toStdString(), device.PortPath());
    ASSERT_NE(g_Globals.SerialPort, nullptr);
    EXPECT_TRUE(g_Globals.SerialPort->IsPortOpen());
    EXPECT_EQ(g_Globals.SerialPort->PortName(), "COM1");

    harness.Exit();
    EXPECT_EQ(g_Globals.SerialPort, nullptr);
    EXPECT_EQ(ProfileValue("Version 4.2/BaudRate").toString(), "-1");
    EXPECT_EQ(ProfileValue("Version 4.2/Maintain Aspect Ratio").toInt(), 1);
    EXPECT_EQ(ProfileValue("Version 4.2/CommPort").toInt(), 1);
    EXPECT_EQ(ProfileValue("Version 4.2/Device").toString(), "Corvane");
}

TEST(StartUp, FileOnTheCommandLineIsListedFirstAndUnreadableFileEndsTheProgram) {
    TempDir dir;
    std::string file = (dir / "MEM.ORV").string();
    WriteFileBytes(file, "V300\r\n");
    {
        AppHarness harness(32771, false);
        ASSERT_TRUE(harness.Start({QString::fromStdString(file)}));
        EXPECT_EQ(harness.App().RecentFiles().Entry(0).toStdString(), file);
        EXPECT_TRUE(g_Globals.SerialPort->IsPortOpen());
    }
    {
        AppHarness harness(32771, false);
        ModalDriver user;
        QString text;
        user.Then(ModalDriver::Answer(QMessageBox::Ok, &text));
        EXPECT_FALSE(harness.Start({QString::fromStdString((dir / "missing.ORV").string())}));
        EXPECT_TRUE(text.contains("missing.ORV was not found.")) << text.toStdString();
        // Refused before the engine was made: no port was opened.
        EXPECT_EQ(g_Globals.SerialPort, nullptr);
    }
}

TEST(StartUp, TimeoutOptionIsReadAndNotTakenForAFile) {
    AppHarness harness(32771, false);
    ASSERT_TRUE(harness.Start({"/d9"}));
    EXPECT_EQ(g_nSerialTimeout, 9000);
    EXPECT_TRUE(harness.App().RecentFiles().IsEmpty());
    harness.Exit();
    g_nSerialTimeout = kDefaultSerialTimeout;
}

TEST(MainFrame, MenusCarryTheCommandsWithMnemonicsAndAccelerators) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    EXPECT_EQ(
        MenuTexts(TopMenu(frame, 0)),
        (QStringList{"&Restore memory", "&Save memory", "Edit &keyboard overlay", "&Import Icons",
                     "&Delete file", "Re&name file", "-", "Recent File", "-", "E&xit"}));
    QStringList options = MenuTexts(TopMenu(frame, 1));
    EXPECT_EQ(options, (QStringList{"&Device", "&Port settings..."}));
    QMenu* device = TopMenu(frame, 1)->actions()[0]->menu();
    EXPECT_EQ(MenuTexts(device),
              (QStringList{"&Corvane", "&Pelliro", "&Drusomi", "&Wendrak", "&Halvetch", "&Mirelda",
                           "&Tobrisk", "&Quenlow", "&Ostravel", "&Fennimar"}));
    EXPECT_EQ(MenuTexts(TopMenu(frame, 2)), (QStringList{"&Help Topics", "-", "&About ORV..."}));

    EXPECT_EQ(frame.Action(ID_SAVE_MEMORY)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(frame.Action(ID_RESTORE_MEMORY)->shortcut(), QKeySequence("Ctrl+R"));
    EXPECT_EQ(frame.Action(ID_EDIT_OVERLAY)->shortcut(), QKeySequence("Ctrl+K"));
    EXPECT_EQ(frame.Action(ID_IMPORT_ICONS)->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_EQ(frame.Action(ID_HELP)->shortcut(), QKeySequence("F1"));
    EXPECT_EQ(frame.Action(ID_CONTEXT_HELP)->shortcut(), QKeySequence("Shift+F1"));
    EXPECT_EQ(frame.Action(32775)->statusTip(), "Select Halvetch device");

    // Only the selected model is checked; the recent-file slot is greyed while empty.
    harness.App().UpdateCommandUI();
    EXPECT_TRUE(frame.Action(32771)->isChecked());
    EXPECT_FALSE(frame.Action(32772)->isChecked());
    frame.RebuildRecentFileMenu();
    QAction* recent = TopMenu(frame, 0)->actions()[7];
    EXPECT_EQ(recent->objectName(), "57616");
    EXPECT_FALSE(recent->isEnabled());
}

TEST(MainFrame, ToolbarHasFiveLargeButtonsWithPromptsAndTooltips) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    const int ids[] = {ID_RESTORE_MEMORY, ID_SAVE_MEMORY, ID_EDIT_OVERLAY, ID_IMPORT_ICONS,
                       ID_APP_EXIT};
    auto* bar = frame.findChild<QToolBar*>("Toolbar");
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 5);
    for (int i = 0; i < 5; ++i) {
        QToolButton* button = frame.ToolbarButton(ids[i]);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(bar->widgetForAction(bar->actions()[i]), button) << "position " << i;
        EXPECT_EQ(button->size(), QSize(122, 72));
    }
    QToolButton* save = frame.ToolbarButton(ID_SAVE_MEMORY);
    EXPECT_EQ(save->statusTip(), "Save memory to a file");
    EXPECT_EQ(save->toolTip(), "Save memory");
    EXPECT_EQ(frame.ToolbarButton(ID_APP_EXIT)->statusTip(), "Quit the ORV application");
    EXPECT_EQ(frame.ToolbarButton(ID_APP_EXIT)->toolTip(), "Exit");

    // The fly-by prompt reaches the status bar while the pointer rests on a button.
    QTest::mouseMove(save);
    QStatusTipEvent tip(save->statusTip());
    QApplication::sendEvent(save, &tip);
    EXPECT_EQ(frame.statusBar()->currentMessage(), "Save memory to a file");
}

TEST(MainFrame, WindowHasNoMaximiseAndAFixedSizeAndFourStatusPanes) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    EXPECT_FALSE(frame.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(frame.minimumSize(), frame.maximumSize());
    EXPECT_GE(frame.width(), 3 * 122);  // the three buttons Corvane shows
    EXPECT_EQ(frame.statusBar()->findChildren<QLabel*>().size(), 3);
    for (const char* pane : {"CAP", "NUM", "SCRL"}) {
        EXPECT_NE(frame.statusBar()->findChild<QLabel*>(pane), nullptr) << pane;
    }
    frame.SetStatusText("Deleted 2 files");
    EXPECT_EQ(frame.StatusText(), "Deleted 2 files");
}

TEST(DeviceSelection, ShowsHidesButtonsEnablesCommandsAndReopensThePort) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    CORVApp& app = harness.App();
    EXPECT_FALSE(frame.IsToolbarButtonShown(ID_EDIT_OVERLAY));
    EXPECT_FALSE(frame.IsToolbarButtonShown(ID_IMPORT_ICONS));

    struct Case {
        int id;
        const char* title;
        bool overlay;
        bool icons;
    };
    for (Case c :
         {Case{32772, "ORV - Pelliro", true, false}, Case{32776, "ORV - Mirelda", false, true},
          Case{32777, "ORV - Tobrisk", false, false}, Case{32780, "ORV - Fennimar", false, true},
          Case{32780, "ORV - Fennimar", false, true}}) {
        frame.Action(c.id)->trigger();
        Pump(20);
        EXPECT_EQ(frame.windowTitle(), c.title);
        EXPECT_EQ(g_Globals.MainView->Instructions().toStdString(), LoadString(500 + c.id - 32771));
        EXPECT_EQ(frame.IsToolbarButtonShown(ID_EDIT_OVERLAY), c.overlay) << c.title;
        EXPECT_EQ(frame.IsToolbarButtonShown(ID_IMPORT_ICONS), c.icons) << c.title;
        EXPECT_EQ(frame.Action(ID_EDIT_OVERLAY)->isEnabled(), c.overlay) << c.title;
        EXPECT_EQ(frame.Action(ID_IMPORT_ICONS)->isEnabled(), c.icons) << c.title;
        EXPECT_TRUE(frame.Action(c.id)->isChecked());
        EXPECT_TRUE(frame.ToolbarButton(ID_SAVE_MEMORY)->isEnabled());
        // Closed and opened again, on the same port.
        EXPECT_TRUE(g_Globals.SerialPort->IsPortOpen()) << c.title;
        EXPECT_EQ(g_Globals.SerialPort->PortName(), "COM1");
    }
    int checked = 0;
    for (int id = 32771; id <= 32780; ++id) {
        checked += frame.Action(id)->isChecked() ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    // Menu items stay in the menu when their buttons are hidden.
    EXPECT_TRUE(frame.Action(ID_EDIT_OVERLAY)->isVisible());
    app.UpdateCommandUI();
    EXPECT_EQ(ProfileValue("Version 4.2/Device").toString(), "Corvane");  // written only at exit
    harness.Exit();
    EXPECT_EQ(ProfileValue("Version 4.2/Device").toString(), "Fennimar");
}

TEST(DeviceSelection, ItemsAreDisabledButStayCheckedWhileTheOverlayEditorIsShown) {
    AppHarness harness(32772);
    g_Globals.CurrentViewId = kKeyboardViewId;
    harness.App().UpdateCommandUI();
    for (int id = 32771; id <= 32780; ++id) {
        EXPECT_FALSE(harness.Frame().Action(id)->isEnabled());
    }
    EXPECT_TRUE(harness.Frame().Action(32772)->isChecked());
    g_Globals.CurrentViewId = kMainViewId;
}

TEST(Help, TopicsAndF1OpenTheGuideAndShiftF1EntersWhatsThisMode) {
    AppHarness harness;
    QList<QUrl> opened;
    SetHelpOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    harness.Frame().Action(ID_HELP_FINDER)->trigger();
    harness.Frame().Action(ID_HELP)->trigger();
    SetHelpOpener([](const QUrl&) { return true; });
    ASSERT_EQ(opened.size(), 2);
    QFile guide(opened[0].toLocalFile());
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    EXPECT_TRUE(guide.readAll().contains("Save memory"));

    harness.Frame().Action(ID_CONTEXT_HELP)->trigger();
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
}

TEST(Help, AGuideThatCannotBeOpenedIsReported) {
    AppHarness harness;
    SetHelpOpener([](const QUrl&) { return false; });
    ModalDriver user;
    QString text;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &text));
    harness.Frame().Action(ID_HELP_FINDER)->trigger();
    SetHelpOpener([](const QUrl&) { return true; });
    EXPECT_TRUE(text.startsWith("The ORV user guide could not be opened.")) << text.toStdString();
}

TEST(About, MemoryFiguresComeFromTheKernelsReport) {
    MemoryStatus status;
    ASSERT_TRUE(
        ParseMemInfo("MemTotal:         262144 kB\nMemFree:  1000 kB\n"
                     "MemAvailable:     152000 kB\n",
                     status));
    EXPECT_EQ(status.totalBytes, 268435456u);
    EXPECT_EQ(status.loadPercent, 42u);
    // Without the estimate of older kernels: free, buffers and cache.
    ASSERT_TRUE(ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 100 kB\n",
                             status));
    EXPECT_EQ(status.loadPercent, 75u);
    EXPECT_FALSE(ParseMemInfo("garbage\n", status));

    CAboutDlg dlg;
    dlg.ShowMemoryStatus({268435456u, 42});
    EXPECT_EQ(dlg.findChild<QLabel*>("1001")->text(), "262144 KB");
    EXPECT_EQ(dlg.findChild<QLabel*>("1002")->text(), "42%");
    EXPECT_EQ(dlg.windowTitle(), "About ORV");
}

TEST(RecentFiles, FourEntriesNewestFirstShortenedInTheMenuAndKeptAtExit) {
    CRecentFileList list;
    for (const char* p : {"/a/1.ORV", "/a/2.ORV", "/a/3.ORV", "/a/4.ORV", "/a/2.ORV", "/a/5.ORV"}) {
        list.Add(p);
    }
    ASSERT_EQ(list.Size(), 4);
    EXPECT_EQ(list.Entry(0), "/a/5.ORV");
    EXPECT_EQ(list.Entry(1), "/a/2.ORV");
    EXPECT_EQ(list.Entry(3), "/a/3.ORV");

    EXPECT_EQ(AbbreviatePath("/home/carer/backups/2024/june/Mirelda.ORV", 30),
              "/home/.../june/Mirelda.ORV");
    EXPECT_EQ(AbbreviatePath("/short/MEM.ORV", 30), "/short/MEM.ORV");
    EXPECT_EQ(AbbreviatePath("/home/x/a-very-long-file-name-for-a-backup.ORV", 30),
              "a-very-long-file-name-for-a-backup.ORV");
    for (const char* p :
         {"/home/carer/backups/2024/june/Mirelda.ORV", "/x/y/z/w/v/u/t/s/r/q/p/o/n"}) {
        EXPECT_LE(AbbreviatePath(p, 30).size(), 30) << p;
    }

    AppHarness harness;
    harness.App().AddToRecentFileList("/home/carer/backups/2024/june/Mirelda.ORV");
    harness.Frame().RebuildRecentFileMenu();
    QAction* first = TopMenu(harness.Frame(), 0)->actions()[7];
    EXPECT_EQ(first->text(), "&1 /home/.../june/Mirelda.ORV");
    EXPECT_TRUE(first->isEnabled());
    harness.Exit();
    EXPECT_EQ(ProfileValue("Recent File List/File1").toString(),
              "/home/carer/backups/2024/june/Mirelda.ORV");
    EXPECT_FALSE(ProfileValue("Recent File List/File2").isValid());
}

TEST(SingleCopy, ASecondStartActivatesTheFirstHandsOverItsFileAndEnds) {
    TempDir dir;
    std::string file = (dir / "Handed over.ORV").string();
    WriteFileBytes(file, "V300\r\n");
    AppHarness harness(32771, false);
    harness.UseServerName(CSingleInstance::DefaultServerName());
    ASSERT_TRUE(harness.Start());
    harness.Frame().showMinimized();
    Pump(20);

    QProcess second;
    second.setWorkingDirectory(QString::fromStdString(dir.Path().string()));
    second.start(QStringLiteral(ORV_BINARY), {"Handed over.ORV"});
    ASSERT_TRUE(PumpUntil([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(PumpUntil([&] { return !harness.Frame().isMinimized(); }, 5000));
    EXPECT_EQ(harness.App().RecentFiles().Entry(0).toStdString(), file);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST(DesktopIntegration, TheDesktopEntryOpensTheTypeOfOrvFiles) {
    QSettings entry(QString::fromStdString((SourceDir() / "resources/orv.desktop").string()),
                    QSettings::IniFormat);
    entry.beginGroup("Desktop Entry");
    EXPECT_EQ(entry.value("Exec").toString(), "orv %f");
    QString type = entry.value("MimeType").toString().section(';', 0, 0);
    std::string mime = ReadFileBytes(SourceDir() / "resources/orv-mime.xml");
    EXPECT_NE(mime.find("<mime-type type=\"" + type.toStdString() + "\">"), std::string::npos)
        << type.toStdString();
    EXPECT_NE(mime.find("<glob pattern=\"*.ORV\"/>"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(SourceDir() / "resources" /
                                        (entry.value("Icon").toString().toStdString() + ".svg")));
}

}  // namespace
}  // namespace orv::test
