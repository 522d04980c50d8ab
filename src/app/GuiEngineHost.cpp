#include "app/GuiEngineHost.h"

#include <QApplication>
#include <QCoreApplication>

#include "ui/MessageBox.h"
#include "ui/NotifyEvent.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace orv {

CGuiEngineHost::CGuiEngineHost(RecentFileSink addRecent, PortResolver resolvePort)
    : m_addRecent(std::move(addRecent)), m_resolvePort(std::move(resolvePort)) {
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateForeground(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { UpdateForeground(); });
}

void CGuiEngineHost::SetMainWindow(QWidget* window) {
    if (m_mainWindow) {
        m_mainWindow->removeEventFilter(this);
    }
    m_mainWindow = window;
    m_mainTarget.store(window);
    if (window) {
        window->installEventFilter(this);
    }
    UpdateForeground();
}

bool CGuiEngineHost::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mainWindow &&
        (event->type() == QEvent::ActivationChange || event->type() == QEvent::Show ||
         event->type() == QEvent::Hide)) {
        UpdateForeground();
    }
    return QObject::eventFilter(watched, event);
}

void CGuiEngineHost::UpdateForeground() {
    m_foreground.store(m_mainWindow && m_mainWindow->isVisible() &&
                       m_mainWindow->isActiveWindow() &&
                       QGuiApplication::applicationState() == Qt::ApplicationActive);
}

void CGuiEngineHost::PostNotification(NotifyTarget target, Notification note) {
    QObject* receiver = static_cast<QObject*>(target);
    if (!receiver) {
        receiver = m_mainTarget.load();
    }
    if (!receiver) {
        return;  // nobody to show it to: the note goes, and the worker with it
    }
    QCoreApplication::postEvent(receiver, new NotifyEvent(std::move(note)));
}

void CGuiEngineHost::LinkLost() {
    // On the worker thread, which is about to end; the user-interface thread
    // closes the port.
    QMetaObject::invokeMethod(
        this, [this] { emit PortGone(); }, Qt::QueuedConnection);
}

NotifyTarget CGuiEngineHost::MainWindowTarget() {
    return m_mainTarget.load();
}

bool CGuiEngineHost::IsMainWindowForeground() {
    return m_foreground.load();
}

void CGuiEngineHost::ShowMessage(const std::string& text) {
    RunOnUiThread([&] { ShowMessageBox(QStr(text), QMessageBox::NoIcon); });
}

bool CGuiEngineHost::AskOkCancel(const std::string& text) {
    bool ok = false;
    RunOnUiThread([&] {
        ok = ShowMessageBox(QStr(text), QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel,
                            QMessageBox::Ok) == QMessageBox::Ok;
    });
    return ok;
}

void CGuiEngineHost::AddToRecentFiles(const std::string& path) {
    if (m_addRecent) {
        RunOnUiThread([&] { m_addRecent(path); });
    }
}

std::string CGuiEngineHost::DevicePathForPort(int commPort) {
    std::string path;
    if (m_resolvePort) {
        RunOnUiThread([&] { path = m_resolvePort(commPort); });
    }
    return path;
}

}  // namespace orv
