// The application: start-up and exit, the settings, the engine, and the
// commands of the Options and Help menus.
#pragma once

#include <QObject>
#include <QSettings>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "app/CommandLine.h"
#include "app/GuiEngineHost.h"
#include "app/GuiReporter.h"
#include "app/Help.h"
#include "app/RecentFileList.h"
#include "app/SingleInstance.h"

namespace orv {

class ActivationKeeper;
class CDemoMode;
class CMainFrame;
class CORVDoc;
class CORVSerialPort;
class CORVView;

class CORVApp : public QObject {
    Q_OBJECT
public:
    // arguments: the command line without the program name.
    explicit CORVApp(const QStringList& arguments, QObject* parent = nullptr);
    ~CORVApp() override;

    // The one application object while it exists.
    static CORVApp* Instance();

    // Start-up. False when the program is to end: another copy runs and has
    // taken over, or the file named on the command line cannot be read.
    bool InitInstance();
    // After a false InitInstance: whether a running copy took the command
    // line over (a normal end, not a failed start).
    bool HandedOver() const { return m_bHandedOver; }
    // Exit: writes the settings and the recent files, closes the engine.
    int ExitInstance();

    void LoadSettings();
    void SaveSettings();

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CORVDoc& Document() const { return *m_doc; }
    CORVView* MainView() const { return m_view; }
    CRecentFileList& RecentFiles() { return m_recentFiles; }
    QSettings& Profile() const { return *m_profile; }
    CGuiEngineHost& Host() const { return *m_host; }
    // The transfer engine: made with the application, its port opened at
    // start-up and closed at exit.
    CORVSerialPort& Engine() const { return *m_engine; }
    // The simulated device of demonstration mode (orv --demo), or null.
    CDemoMode* Demo() const { return m_demo.get(); }
    // The user guide's window, once it has been opened.
    CHelpWindow* HelpWindow() const { return m_help.get(); }

    void AddToRecentFileList(const QString& path);

    // Where later starts find this copy; tests give each profile its own.
    void SetServerName(const QString& name) { m_serverName = name; }

public slots:
    void OnSelectDevice(int commandId);
    void OnPortSettings();
    void OnAppAbout();
    void OnHelpTopics();
    // Enables and checks the commands by the current model and view.
    void UpdateCommandUI();

private:
    void OnSecondStart(const QString& workingFolder, const QStringList& arguments);
    // The device's line hung up: the port is closed, and opened again by
    // itself once its device path exists again.
    void OnPortGone();
    void OnPortWatch();
    // The main window has closed: the guide and the simulated device close too.
    void OnMainWindowClosed();
    // The Options and Help commands of the frame's menus.
    void ConnectCommands();

    // Starts demonstration mode when the command line asks for it. False
    // (after telling the user) when it cannot be started.
    bool StartDemo();

    QStringList m_arguments;
    OrvCommandLine m_commandLine;
    QString m_serverName;
    QString m_captionSuffix;  // added to the caption in demonstration mode
    bool m_bClassRegistered = false;
    bool m_bHandedOver = false;
    bool m_bSettingsLoaded = false;
    // Before the profile: the demonstration's profile lives in its folder.
    std::unique_ptr<CDemoMode> m_demo;
    std::unique_ptr<QSettings> m_profile;
    CRecentFileList m_recentFiles;
    CGuiReporter m_reporter;
    std::unique_ptr<CGuiEngineHost> m_host;
    // Outlives the windows that use it; its port closes at exit.
    std::unique_ptr<CORVSerialPort> m_engine;
    bool m_bEngineStarted = false;  // the port was tried, and exit has not closed it
    std::unique_ptr<CSingleInstance> m_instance;
    std::unique_ptr<CORVDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<ActivationKeeper> m_activationKeeper;
    CORVView* m_view = nullptr;  // owned by the frame
    std::unique_ptr<CHelpWindow> m_help;
    static constexpr int kPortWatchIntervalMs = 500;
    QTimer m_portWatch;
    std::string m_lostPortPath;
};

}  // namespace orv
