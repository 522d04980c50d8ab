// The desktop program as the engine's host: notifications become events for a
// window, questions become message boxes on the user-interface thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>

#include "engine/EngineHost.h"

namespace orv {

class CGuiEngineHost : public QObject, public EngineHost {
    Q_OBJECT
public:
    using RecentFileSink = std::function<void(const std::string& path)>;
    using PortResolver = std::function<std::string(int commPort)>;

    CGuiEngineHost(RecentFileSink addRecent, PortResolver resolvePort);

    // The main window: the default notification target, and the window whose
    // activation decides whether device requests count.
    void SetMainWindow(QWidget* window);

    void PostNotification(NotifyTarget target, Notification note) override;
    NotifyTarget MainWindowTarget() override;
    bool IsMainWindowForeground() override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void AddToRecentFiles(const std::string& path) override;
    std::string DevicePathForPort(int commPort) override;
    void LinkLost() override;

signals:
    // The line of the open port hung up (emitted on the user-interface thread).
    void PortGone();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateForeground();

    RecentFileSink m_addRecent;
    PortResolver m_resolvePort;
    // Read by the worker thread, written on the user-interface thread only.
    std::atomic<QObject*> m_mainTarget{nullptr};
    std::atomic<bool> m_foreground{false};
    QPointer<QWidget> m_mainWindow;
};

}  // namespace orv
