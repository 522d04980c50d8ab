#include "tests/common/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <atomic>

#include "app/ORVApp.h"
#include "appcore/PortList.h"
#include "appcore/ProfileStore.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "documents/TransferDlg.h"
#include "frame/MainFrm.h"
#include "ui/ControlIds.h"

namespace orv::test {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(2);
    }
    return true;
}

bool ActivateWindow(QWidget& window, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!window.isActiveWindow()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        window.activateWindow();
        QTest::qWait(20);
    }
    return true;
}

void Pump(int ms) {
    QTest::qWait(ms);
}

namespace {

constexpr int kTickMs = 10;
constexpr int kPatienceTicks = 800;  // 8 s without a step for the dialog shown

QString DescribeModal(QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        return box->text();
    }
    return modal->windowTitle();
}

}  // namespace

ModalDriver::ModalDriver() {
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start();
}

ModalDriver::~ModalDriver() = default;

void ModalDriver::Then(Step step) {
    m_steps.push_back(std::move(step));
}

bool ModalDriver::WaitDone(int timeoutMs) {
    return PumpUntil([this] { return Done(); }, timeoutMs);
}

void ModalDriver::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
        m_waitedTicks = 0;
        return;
    }
    if (!m_steps.empty()) {
        // Take the step off first: it may open further dialogs of its own.
        Step step = m_steps.front();
        m_timer.stop();
        bool taken = step(modal);
        m_timer.start();
        if (taken) {
            m_steps.pop_front();
            m_waitedTicks = 0;
            return;
        }
    }
    if (modal != m_waitingOn) {
        m_waitingOn = modal;
        m_waitedTicks = 0;
    }
    if (++m_waitedTicks > kPatienceTicks) {
        m_unexpected.append(DescribeModal(modal));
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QDialog::Rejected);
        } else {
            modal->close();
        }
        m_waitedTicks = 0;
    }
}

ModalDriver::Step ModalDriver::Answer(QMessageBox::StandardButton button, QString* text,
                                      QString* caption) {
    return [=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || !box->isVisible()) {
            return false;
        }
        if (text) {
            *text = box->text();
        }
        if (caption) {
            *caption = box->windowTitle();
        }
        QAbstractButton* b = box->button(button);
        if (!b) {
            ADD_FAILURE() << "message box without the expected button: "
                          << box->text().toStdString();
            box->done(QDialog::Rejected);
            return true;
        }
        b->click();
        return true;
    };
}

QString MultiSelection(const QStringList& names) {
    QStringList quoted;
    for (const QString& n : names) {
        quoted.append(QLatin1Char('"') + n + QLatin1Char('"'));
    }
    return quoted.join(QLatin1Char(' '));
}

ModalDriver::Step ModalDriver::ChooseFiles(const QStringList& paths, QString* title) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<QFileDialog*>(modal);
        if (!dlg || !dlg->isVisible()) {
            return false;
        }
        if (title) {
            *title = dlg->windowTitle();
        }
        for (QAbstractItemView* view : dlg->findChildren<QAbstractItemView*>()) {
            if (view->selectionModel()) {
                view->clearSelection();
            }
        }
        auto* edit = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit) {
            ADD_FAILURE() << "file chooser without a name field";
            dlg->reject();
            return true;
        }
        edit->setText(paths.size() == 1 ? paths[0] : MultiSelection(paths));
        QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
        return true;
    };
}

ModalDriver::Step ModalDriver::CancelChooser(QString* title) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<QFileDialog*>(modal);
        if (!dlg || !dlg->isVisible()) {
            return false;
        }
        if (title) {
            *title = dlg->windowTitle();
        }
        dlg->reject();
        return true;
    };
}

ModalDriver::Step ModalDriver::CloseFinishedTransfer(QString* status, QString* file) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<CTransferDlg*>(modal);
        if (!dlg || !dlg->IsFinished()) {
            return false;
        }
        if (status) {
            *status = dlg->findChild<QLabel*>(ControlName(IDC_TRANSFER_STATUS))->text();
        }
        if (file) {
            *file = dlg->findChild<QLabel*>(ControlName(IDC_TRANSFER_FILE))->text();
        }
        dlg->done(0);
        return true;
    };
}

void ClearProfile() {
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    profile->clear();
    profile->sync();
}

void MapPortInProfile(int commPort, const std::string& devicePath) {
    SetProfileValue(QStringLiteral("Ports/COM%1").arg(commPort),
                    QString::fromStdString(devicePath));
}

void SetProfileValue(const QString& key, const QVariant& value) {
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    profile->setValue(key, value);
    profile->sync();
}

QVariant ProfileValue(const QString& key) {
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    return profile->value(key);
}

namespace {

std::atomic<int> g_serverCounter{0};

}  // namespace

AppHarness::AppHarness(uint32_t modelId, bool start)
    : m_device(std::make_unique<devsim::SimulatedDevice>(modelId)) {
    g_Globals = CORVGlobals{};
    g_nSerialTimeout = kDefaultSerialTimeout;
    // The machine's serial ports are the simulated device only: with a port
    // found, Port settings never probes the real devices behind COM2 to COM8.
    std::string path = m_device->PortPath();
    SetPortSource([path] { return QList<FoundPort>{{QString::fromStdString(path), QString()}}; });
    ClearProfile();
    MapPortInProfile(1, m_device->PortPath());
    SetProfileValue(QStringLiteral("Version 4.2/Device"),
                    QString::fromLatin1(kModelNames[ModelIndexOf(modelId)]));
    if (start) {
        EXPECT_TRUE(Start());
    }
}

AppHarness::~AppHarness() {
    m_device->Stop();
    if (m_app && !m_exited) {
        Exit();
    }
    m_app.reset();
    SetPortSource([] { return QList<FoundPort>(); });
}

bool AppHarness::Start(const QStringList& arguments) {
    m_app = std::make_unique<CORVApp>(arguments);
    m_app->SetServerName(!m_serverName.isEmpty() ? m_serverName
                                                 : QStringLiteral("orv-test-%1-%2")
                                                       .arg(QCoreApplication::applicationPid())
                                                       .arg(g_serverCounter++));
    if (!m_app->InitInstance()) {
        return false;
    }
    return Activate();
}

void AppHarness::Exit() {
    m_app->ExitInstance();
    m_exited = true;
}

CORVSerialPort& AppHarness::Engine() {
    return m_app->Engine();
}

CMainFrame& AppHarness::Frame() {
    return *m_app->MainFrame();
}

bool AppHarness::Activate() {
    CMainFrame* frame = m_app->MainFrame();
    if (!frame) {
        return false;
    }
    return ActivateWindow(*frame);
}

}  // namespace orv::test
