// The main window, start-up and exit, device selection, help and the about box.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QWhatsThis>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/AboutDlg.h"
#include "app/CommandLine.h"
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
#include "ui/ControlIds.h"

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
    EXPECT_EQ(harness.App().MainView()->Instructions().toStdString(), LoadString(500));
    // Numbered before the port was opened: COM1 is the adapter and it is open.
    EXPECT_EQ(ProfileValue("Ports/COM1").toString().toStdString(), device.PortPath());
    EXPECT_TRUE(harness.Engine().IsPortOpen());
    EXPECT_EQ(harness.Engine().PortName(), "COM1");

    harness.Exit();
    EXPECT_FALSE(harness.Engine().IsPortOpen());
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
        EXPECT_TRUE(harness.Engine().IsPortOpen());
    }
    {
        AppHarness harness(32771, false);
        ModalDriver user;
        QString text;
        user.Then(ModalDriver::Answer(QMessageBox::Ok, &text));
        EXPECT_FALSE(harness.Start({QString::fromStdString((dir / "missing.ORV").string())}));
        EXPECT_TRUE(text.contains("missing.ORV was not found.")) << text.toStdString();
        // Refused before the engine was made: no port was opened.
        EXPECT_FALSE(harness.Engine().IsPortOpen());
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

TEST(CommandLine, TimeOutDemoAndFileAreReadAsBeforeAndDoubleDashEndsTheOptions) {
    OrvCommandLine cl = ParseOrvCommandLine({"/D5", "--demo=quenlow", "MEM.ORV"});
    EXPECT_EQ(cl.action, OrvCommandLine::Action::Run);
    EXPECT_EQ(cl.file, "MEM.ORV");
    ASSERT_TRUE(cl.demo);
    EXPECT_EQ(cl.demo->modelIndex, 7);
    // The time-out option is never a file, wherever it stands; after "--"
    // everything is the file, even what looks like an option.
    cl = ParseOrvCommandLine({"MEM.ORV", "-d9"});
    EXPECT_EQ(cl.file, "MEM.ORV");
    cl = ParseOrvCommandLine({"/d3", "--", "--demo"});
    EXPECT_EQ(cl.action, OrvCommandLine::Action::Run);
    EXPECT_EQ(cl.file, "--demo");
    EXPECT_FALSE(cl.demo);
    EXPECT_EQ(ParseOrvCommandLine({"--", "-h"}).file, "-h");

    EXPECT_EQ(ParseOrvCommandLine({"MEM.ORV", "--help"}).action, OrvCommandLine::Action::Help);
    EXPECT_EQ(ParseOrvCommandLine({"-h"}).action, OrvCommandLine::Action::Help);
    EXPECT_EQ(ParseOrvCommandLine({"--version"}).action, OrvCommandLine::Action::Version);
    for (const QStringList& bad : {QStringList{"--bogus"}, QStringList{"-x", "MEM.ORV"},
                                   QStringList{"A.ORV", "B.ORV"}, QStringList{"--help=now"}}) {
        cl = ParseOrvCommandLine(bad);
        EXPECT_EQ(cl.action, OrvCommandLine::Action::UsageError) << bad.join(' ').toStdString();
        EXPECT_FALSE(cl.error.isEmpty());
    }
    EXPECT_TRUE(ParseOrvCommandLine({"A.ORV", "B.ORV"}).error.contains("B.ORV"));
}

// orv as a shell runs it, with its exit code and what it prints.
struct OrvRun {
    int exitCode = -1;
    QString out;
    QString err;
};
OrvRun RunOrv(const QStringList& arguments, bool display) {
    QProcess orv;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!display) {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
            env.remove(QString::fromLatin1(name));
        }
    }
    orv.setProcessEnvironment(env);
    orv.start(QStringLiteral(ORV_BINARY), arguments);
    OrvRun r;
    if (orv.waitForFinished(20000) && orv.exitStatus() == QProcess::NormalExit) {
        r.exitCode = orv.exitCode();
    }
    r.out = QString::fromLocal8Bit(orv.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(orv.readAllStandardError());
    return r;
}

TEST(CommandLine, HelpAndVersionNeedNoDisplayAndBadInputExitsTwo) {
    OrvRun help = RunOrv({"--help"}, false);
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    for (const char* option :
         {"Usage: orv [OPTION]... [FILE]", "/D<DIGIT>", "(default: 3)", "--demo[=MODEL]",
          "-h, --help", "--version", "Exit status:", "ORV by Tarveline.conf"}) {
        EXPECT_TRUE(help.out.contains(QString::fromLatin1(option))) << option;
    }
    for (const QString& line : help.out.split('\n')) {
        EXPECT_LE(line.size(), 79) << line.toStdString();
    }
    OrvRun version = RunOrv({"--version"}, false);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "orv 7.01\n");

    OrvRun bad = RunOrv({"--bogus"}, true);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("orv: ")) << bad.err.toStdString();
    EXPECT_TRUE(bad.err.contains("orv --help")) << bad.err.toStdString();
    EXPECT_EQ(RunOrv({"A.ORV", "B.ORV"}, true).exitCode, 2);
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
    EXPECT_EQ(recent->objectName(), ControlName(ID_FILE_MRU_FIRST));
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
        EXPECT_EQ(harness.App().MainView()->Instructions().toStdString(),
                  LoadString(500 + c.id - 32771));
        EXPECT_EQ(frame.IsToolbarButtonShown(ID_EDIT_OVERLAY), c.overlay) << c.title;
        EXPECT_EQ(frame.IsToolbarButtonShown(ID_IMPORT_ICONS), c.icons) << c.title;
        EXPECT_EQ(frame.Action(ID_EDIT_OVERLAY)->isEnabled(), c.overlay) << c.title;
        EXPECT_EQ(frame.Action(ID_IMPORT_ICONS)->isEnabled(), c.icons) << c.title;
        EXPECT_TRUE(frame.Action(c.id)->isChecked());
        EXPECT_TRUE(frame.ToolbarButton(ID_SAVE_MEMORY)->isEnabled());
        // Closed and opened again, on the same port.
        EXPECT_TRUE(harness.Engine().IsPortOpen()) << c.title;
        EXPECT_EQ(harness.Engine().PortName(), "COM1");
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

TEST(Help, F1ShowsTheGuideInAWindowOfItsOwnWithWorkingLinksAndPictures) {
    AppHarness harness;
    CMainFrame& frame = harness.Frame();
    // The Help menu lists the key that opens the guide.
    QAction* topics = TopMenu(frame, 2)->actions().value(0);
    ASSERT_NE(topics, nullptr);
    EXPECT_EQ(topics->shortcut(), QKeySequence("F1"));

    QTest::keyClick(&frame, Qt::Key_F1);
    CHelpWindow* help = harness.App().HelpWindow();
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help, 5000));
    EXPECT_EQ(help->windowTitle(), "ORV user guide");
    QTextBrowser* guide = help->Browser();
    EXPECT_TRUE(guide->toPlainText().contains("Save memory (a backup)"));
    // The contents' first link leads to its section, and Back returns.
    guide->setFocus();
    QTest::keyClick(guide, Qt::Key_Tab);
    QTest::keyClick(guide, Qt::Key_Return);
    EXPECT_EQ(guide->source().fragment(), "device");
    EXPECT_TRUE(guide->isBackwardAvailable());
    // Pictures come from the program itself.
    QVariant picture = guide->loadResource(QTextDocument::ImageResource, QUrl("main-window.png"));
    EXPECT_FALSE(picture.toByteArray().isEmpty());

    // F1 again brings the same window forward; Shift+F1 is What's This.
    topics->trigger();
    EXPECT_EQ(harness.App().HelpWindow(), help);
    frame.Action(ID_CONTEXT_HELP)->trigger();
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();

    // The guide does not outlive the main window.
    frame.close();
    EXPECT_FALSE(help->isVisible());
}

TEST(Help, AGuideThatCannotBeOpenedIsReported) {
    AppHarness harness;
    const QUrl guide = CHelpWindow::GuideUrl();
    CHelpWindow::SetGuideUrl(QUrl::fromLocalFile("/nonexistent/orv-guide.html"));
    ModalDriver user;
    QString text;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &text));
    harness.Frame().Action(ID_HELP_FINDER)->trigger();
    CHelpWindow::SetGuideUrl(guide);
    EXPECT_TRUE(text.startsWith("The ORV user guide could not be opened.")) << text.toStdString();
    EXPECT_TRUE(text.contains("/nonexistent/orv-guide.html")) << text.toStdString();
    EXPECT_EQ(harness.App().HelpWindow(), nullptr);
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
    EXPECT_EQ(dlg.findChild<QLabel*>(ControlName(IDC_ABOUT_MEMORY))->text(), "262144 KB");
    EXPECT_EQ(dlg.findChild<QLabel*>(ControlName(IDC_ABOUT_RESOURCES))->text(), "42%");
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

TEST(SingleCopy, TheSocketLivesInAPrivateFolderOfTheUsersOwn) {
    // The test's runtime folder is private: the socket goes there.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    EXPECT_EQ(CSingleInstance::RuntimeFolder(), runtime);
    CSingleInstance instance(CSingleInstance::DefaultServerName());
    EXPECT_EQ(QFileInfo(instance.EndpointPath()).absolutePath(), runtime);

    // A runtime folder others may enter is not used; ORV makes a private
    // folder of its own in the temporary folder instead.
    TempDir dir;
    std::filesystem::create_directory(dir / "open");
    std::filesystem::permissions(dir / "open", std::filesystem::perms::all);
    std::filesystem::create_directory(dir / "tmp");
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((dir / "open").string()));
    qputenv("TMPDIR", QByteArray::fromStdString((dir / "tmp").string()));
    QString own = CSingleInstance::RuntimeFolder();
    const std::filesystem::path expected = dir / "tmp" / ("orv-" + std::to_string(::geteuid()));
    EXPECT_EQ(own.toStdString(), expected.string());
    EXPECT_EQ(std::filesystem::status(expected).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    // Unset, the same; and a folder of that name that others may enter is
    // refused, so that no socket is made at all.
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(CSingleInstance::RuntimeFolder(), own);
    std::filesystem::permissions(expected, std::filesystem::perms::all);
    EXPECT_EQ(CSingleInstance::RuntimeFolder(), QString());
    CSingleInstance homeless(QStringLiteral("orv-test-homeless"));
    EXPECT_FALSE(homeless.Listen());
    EXPECT_FALSE(homeless.HandOver({"MEM.ORV"}));
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    if (tmp.isNull()) {
        qunsetenv("TMPDIR");
    } else {
        qputenv("TMPDIR", tmp);
    }
}

TEST(SingleCopy, OnlyTheSameUsersStartsAreTakenAndOnlyTheSameUserIsHandedTo) {
    const QString name = QStringLiteral("orv-test-peer-%1").arg(QCoreApplication::applicationPid());
    CSingleInstance running(name);
    ASSERT_TRUE(running.Listen());
    QStringList received;
    QObject::connect(&running, &CSingleInstance::SecondStart,
                     [&](const QString&, const QStringList& arguments) { received = arguments; });
    // A later start runs beside this thread's event loop, as another process would.
    auto handOver = [&](uid_t expected) {
        CSingleInstance later(name);
        later.SetExpectedUser(expected);
        std::atomic<bool> done{false};
        bool handed = false;
        std::thread start([&] {
            handed = later.HandOver({"MEM.ORV"}, 2000);
            done = true;
        });
        PumpUntil([&] { return done.load(); }, 5000);
        start.join();
        Pump(50);  // what arrived is taken
        return handed;
    };
    // The same user: handed over and taken.
    EXPECT_TRUE(handOver(::geteuid()));
    EXPECT_EQ(received, QStringList{"MEM.ORV"});
    // A start that finds a listener of another user hands it nothing.
    received.clear();
    EXPECT_FALSE(handOver(::geteuid() + 1));
    EXPECT_TRUE(received.isEmpty());
    // A running copy takes nothing from a start of another user.
    running.SetExpectedUser(::geteuid() + 1);
    handOver(::geteuid());
    EXPECT_TRUE(received.isEmpty());
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST(DesktopIntegration, TheDesktopEntryOpensTheTypeOfOrvFiles) {
    QSettings entry(
        QString::fromStdString((SourceDir() / "resources/com.tarveline.orv.desktop").string()),
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
    // The running window names the same entry, and the metainfo launches it.
    AppHarness harness;
    EXPECT_EQ(QGuiApplication::desktopFileName() + ".desktop", "com.tarveline.orv.desktop");
    std::string metainfo = ReadFileBytes(SourceDir() / "resources/com.tarveline.orv.metainfo.xml");
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">com.tarveline.orv.desktop<"),
              std::string::npos);
}

}  // namespace
}  // namespace orv::test
