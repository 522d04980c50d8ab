#include "app/ORVApp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "app/AboutDlg.h"
#include "app/CommandLine.h"
#include "app/Help.h"
#include "app/OptionsDlg.h"
#include "appcore/PortList.h"
#include "appcore/PortMap.h"
#include "appcore/ProfileStore.h"
#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "core/StringTable.h"
#include "demo/DemoMode.h"
#include "demo/DemoTexts.h"
#include "documents/ORVDoc.h"
#include "documents/ORVView.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "ui/ActivationKeeper.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"
#include "ui/ToolbarIcons.h"
#include "ui/WaitCursor.h"

namespace orv {
namespace {

CORVApp* g_app = nullptr;

}  // namespace

CORVApp::CORVApp(const QStringList& arguments, QObject* parent)
    : QObject(parent), m_arguments(arguments), m_commandLine(ParseOrvCommandLine(arguments)) {
    g_app = this;
    m_host = std::make_unique<CGuiEngineHost>(
        [this](const std::string& path) { AddToRecentFileList(QStr(path)); },
        [this](int n) { return PortMap(*m_profile).DevicePath(n); });
    m_engine = std::make_unique<CORVSerialPort>(*m_host);
    connect(m_host.get(), &CGuiEngineHost::PortGone, this, &CORVApp::OnPortGone);
    m_portWatch.setInterval(kPortWatchIntervalMs);
    connect(&m_portWatch, &QTimer::timeout, this, &CORVApp::OnPortWatch);
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    // Wayland compositors find the desktop entry, and so the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tarveline.orv"));
}

CORVApp::~CORVApp() {
    // The worker must not outlive the windows it posts to.
    if (m_bEngineStarted) {
        ExitInstance();
    }
    SetReporter(nullptr);
    m_activationKeeper.reset();
    m_frame.reset();
    m_doc.reset();
    m_engine.reset();
    if (g_app == this) {
        g_app = nullptr;
    }
}

CORVApp* CORVApp::Instance() {
    return g_app;
}

bool CORVApp::StartDemo() {
    const std::optional<CDemoMode::Option>& option = m_commandLine.demo;
    if (!option) {
        return true;
    }
    QString error = option->error;
    if (error.isEmpty()) {
        try {
            m_demo = std::make_unique<CDemoMode>(ModelIdOf(option->modelIndex));
        } catch (const std::exception& e) {
            error = FormatQString(IDM_DEMO_NO_DEVICE, QString::fromLocal8Bit(e.what()));
        }
    }
    if (!error.isEmpty()) {
        ShowMessageBox(error, QMessageBox::Warning);
        return false;
    }
    m_captionSuffix = LoadQString(IDS_DEMO_CAPTION_SUFFIX);
    return true;
}

bool CORVApp::InitInstance() {
    if (m_commandLine.action != OrvCommandLine::Action::Run) {
        // main() answers --help, --version and usage errors before it gets here.
        return false;
    }
    if (!StartDemo()) {
        return false;
    }
    // One copy per user: a later start hands its command line over. A
    // demonstration is a copy of its own, never mixed with the real one.
    if (m_serverName.isEmpty()) {
        m_serverName = CSingleInstance::DefaultServerName();
        if (m_demo) {
            m_serverName += QStringLiteral("-demo");
        }
    }
    m_instance = std::make_unique<CSingleInstance>(m_serverName);
    if (m_instance->HandOver(m_arguments)) {
        m_bHandedOver = true;
        return false;
    }
    // Without the socket later starts cannot find this copy, but this one
    // still serves the user.
    m_bClassRegistered = m_instance->Listen();
    connect(m_instance.get(), &CSingleInstance::SecondStart, this, &CORVApp::OnSecondStart);

    // Model names, profile, recent files, settings.
    LoadModelNames();
    m_profile = m_demo ? m_demo->OpenProfile() : OpenUserProfile();
    m_recentFiles.Load(*m_profile);
    g_Globals.LastFilePath = StdStr(m_recentFiles.Entry(0));
    LoadSettings();

    SetReporter(&m_reporter);
    QApplication::setWindowIcon(AppIcon());

    // Document, main frame and main form; a file on the command line.
    m_doc = std::make_unique<CORVDoc>(*m_engine, m_recentFiles);
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_engine, m_recentFiles);
    m_frame->SetCaptionSuffix(m_captionSuffix);
    m_doc->SetFrame(m_frame.get());
    connect(m_frame.get(), &CMainFrame::Closed, this, &CORVApp::OnMainWindowClosed);
    if (!m_frame->OnCreate()) {
        return false;
    }
    m_activationKeeper = std::make_unique<ActivationKeeper>(m_frame.get());
    ConnectCommands();
    m_view = new CORVView(m_frame->Views());
    m_frame->Views()->addWidget(m_view);
    m_doc->SetMainView(m_view);
    m_view->OnInitialUpdate();
    m_frame->SetActiveView(m_view);
    m_host->SetMainWindow(m_frame.get());
    const QString& file = m_commandLine.file;
    if (!file.isEmpty() && !m_doc->OnOpenDocument(file)) {
        return false;
    }
    m_frame->show();
    m_frame->activateWindow();
    UpdateCommandUI();

    // The serial time-out of the command line.
    g_nSerialTimeout = SerialTimeoutFromCommandLine(StdStr(m_arguments.join(QLatin1Char(' '))));

    // On the first start no device has a COM number yet: number the ones
    // found, so that a single adapter is COM1 and works at once.
    if (!HasPortMap(*m_profile)) {
        std::vector<unsigned> numbers;
        std::vector<QString> descriptions;
        EnumeratePorts(*m_profile, numbers, descriptions);
    }

    // The port; one that cannot be opened has been
    // reported, and Port settings tries again.
    m_bEngineStarted = true;
    m_engine->SetNotificationTarget(static_cast<QObject*>(m_frame.get()));
    if (m_demo) {
        m_demo->Attach(*m_engine);
    }
    m_engine->OpenPort();

    // Caption and instructions.
    g_Globals.MainTitle = g_Globals.BuildMainTitle();
    m_frame->SetMainTitle(QStr(g_Globals.MainTitle));
    m_view->ShowInstructions(InstructionsId(g_Globals.ModelIndex));
    if (m_demo) {
        m_demo->ShowPanel(m_frame.get());
        m_frame->activateWindow();
    }
    return true;
}

int CORVApp::ExitInstance() {
    if (m_bSettingsLoaded) {
        SaveSettings();
        m_recentFiles.Save(*m_profile);
        m_profile->sync();
    }
    if (m_bEngineStarted) {
        m_bEngineStarted = false;
        // Closing waits for the worker, which may be showing a message
        // through this thread: close while the windows still exist.
        m_engine->ClosePort();
    }
    if (m_bClassRegistered) {
        m_instance->Close();
        m_bClassRegistered = false;
    }
    return 0;
}

void CORVApp::LoadSettings() {
    QSettingsProfileStore store(*m_profile);
    orv::LoadSettings(store, g_Globals);
    m_bSettingsLoaded = true;
}

void CORVApp::SaveSettings() {
    QSettingsProfileStore store(*m_profile);
    orv::SaveSettings(store, g_Globals);
    orv::SaveIconSettings(store, g_Globals);
}

void CORVApp::AddToRecentFileList(const QString& path) {
    m_recentFiles.Add(path);
    if (m_frame) {
        m_frame->RebuildRecentFileMenu();
    }
    UpdateCommandUI();
}

void CORVApp::OnSelectDevice(int commandId) {
    if (g_Globals.CurrentViewId == kKeyboardViewId) {
        ORV_INTERNAL_ERROR();
    }
    WaitCursor wait;
    CORVSerialPort& engine = *m_engine;
    if (!IsModelId(static_cast<uint32_t>(commandId))) {
        ORV_INTERNAL_ERROR();
        return;
    }
    if (engine.IsPortOpen()) {
        engine.ClosePort();
    }
    g_Globals.SelectModel(ModelIndexOf(static_cast<uint32_t>(commandId)));
    if (m_demo) {
        m_demo->ChangeModel(static_cast<uint32_t>(commandId), engine);
    }
    g_Globals.MainTitle = g_Globals.BuildMainTitle();
    m_frame->SetMainTitle(QStr(g_Globals.MainTitle));
    if (CORVView* view = m_view) {
        view->ShowInstructions(InstructionsId(g_Globals.ModelIndex));
    } else {
        ORV_INTERNAL_ERROR();
    }
    // The new model may have another default rate.
    engine.OpenPort();
    m_frame->ShowOverlayButton(g_Globals.ModelId == kModelPelliro);
    m_frame->ShowImportIconsButton(SupportsIconImport(g_Globals.ModelId));
    m_frame->EnableTransferButtons(true);
    UpdateCommandUI();
}

void CORVApp::OnPortSettings() {
    int oldPort = g_Globals.CommPort;
    int oldBaud = g_Globals.BaudIndex;
    std::string oldPath = PortMap(*m_profile).DevicePath(oldPort);
    {
        COptionsDlg dlg(*m_profile, m_frame.get());
        dlg.exec();
    }
    WaitCursor wait;
    CORVSerialPort& engine = *m_engine;
    if (!engine.IsPortOpen()) {
        // Also after Cancel: the port that could not be opened is tried again.
        engine.OpenPort();
    } else if (g_Globals.CommPort != oldPort || g_Globals.BaudIndex != oldBaud ||
               PortMap(*m_profile).DevicePath(g_Globals.CommPort) != oldPath) {
        if (!ORV_CHECK(!engine.IsTransferring())) {
            return;
        }
        engine.ClosePort();
        engine.OpenPort();
    }
}

void CORVApp::OnPortGone() {
    CORVSerialPort* engine = m_engine.get();
    if (!engine || !engine->IsPortOpen() || !engine->IsLinkLost()) {
        return;  // closed or reopened since
    }
    m_lostPortPath = engine->OpenedPath();
    engine->ClosePort();
    if (m_frame) {
        m_frame->SetStatusText(FormatQString(IDS_PORT_GONE_STATUS, QStr(engine->PortName())));
    }
    m_portWatch.start();
}

void CORVApp::OnPortWatch() {
    CORVSerialPort* engine = m_engine.get();
    if (!engine || engine->IsPortOpen()) {
        m_portWatch.stop();  // opened again some other way (Port settings, a new model)
        return;
    }
    // Just plugged in, the device may not be ready (or not yet ours to open):
    // tried again quietly until it is.
    if (!QFileInfo::exists(QStr(m_lostPortPath)) || !engine->OpenPort(false)) {
        return;
    }
    m_portWatch.stop();
    if (m_frame) {
        m_frame->SetStatusText(FormatQString(IDS_PORT_BACK_STATUS, QStr(engine->PortName())));
    }
}

void CORVApp::OnAppAbout() {
    CAboutDlg dlg(m_frame.get());
    dlg.exec();
}

void CORVApp::OnHelpTopics() {
    ShowHelp(m_help);
}

void CORVApp::OnMainWindowClosed() {
    if (m_help) {
        m_help->close();
    }
    if (m_demo) {
        m_demo->EndDemonstration();
    }
}

void CORVApp::UpdateCommandUI() {
    if (m_frame) {
        m_frame->UpdateCommandUI();
    }
}

void CORVApp::ConnectCommands() {
    for (int i = 0; i < kModelCount; ++i) {
        int id = static_cast<int>(ModelIdOf(i));
        connect(m_frame->Action(id), &QAction::triggered, this, [this, id] { OnSelectDevice(id); });
    }
    connect(m_frame->Action(ID_PORT_SETTINGS), &QAction::triggered, this, &CORVApp::OnPortSettings);
    connect(m_frame->Action(ID_HELP_FINDER), &QAction::triggered, this, &CORVApp::OnHelpTopics);
    connect(m_frame->Action(ID_APP_ABOUT), &QAction::triggered, this, &CORVApp::OnAppAbout);
}

void CORVApp::OnSecondStart(const QString& workingFolder, const QStringList& arguments) {
    if (!m_frame) {
        return;
    }
    if (m_frame->isMinimized()) {
        m_frame->showNormal();
    }
    // The window the user last worked in: an open dialog, else the frame.
    QWidget* front = QApplication::activeModalWidget();
    if (!front) {
        front = m_frame.get();
    }
    front->raise();
    front->activateWindow();

    QString file = ParseOrvCommandLine(arguments).file;
    if (!file.isEmpty()) {
        m_doc->OnOpenDocument(QDir(workingFolder).absoluteFilePath(file));
    }
}

}  // namespace orv
