// What the transfer engine needs from the program that hosts it: the desktop
// program, orv-cli, the tests. The engine knows nothing else about its host.
#pragma once

#include <string>

namespace orv {

// Notification codes the worker posts to its notification target.
enum NotificationCode : int {
    TN_SAVE_REQUEST = 0x7001,
    TN_RESTORE_REQUEST = 0x7002,
    TN_ICONS_REQUEST = 0x7003,
    TN_SET_TOTAL = 0x7004,
    TN_ADD_BYTES = 0x7005,
    TN_DISK_FULL = 0x7006,
    TN_CANNOT_CONTINUE = 0x7007,
    TN_INSERT_CONTINUATION = 0x7008,
    TN_REINSERT_FIRST = 0x7009,
    TN_FINISHED = 0x700A,
    TN_SOUND_REQUEST = 0x700B,
};

// Opaque handle of whatever receives notifications (a window in the desktop
// program). The host knows what it points to; the engine only stores it.
using NotifyTarget = void*;

class EngineHost {
public:
    virtual ~EngineHost() = default;

    // Hands (code, value) to target, to be handled on the host's own thread,
    // which then calls CORVSerialPort::SignalRequest exactly once (for
    // TN_FINISHED only after the progress display has been closed). Called on
    // the worker thread; must not block on the user.
    virtual void PostNotification(NotifyTarget target, int code, long value) = 0;

    // The target while no progress display has taken the notifications.
    virtual NotifyTarget MainWindowTarget() = 0;

    // Whether the program's main window is the active window. Called on the
    // worker thread; device requests count only while this is true.
    virtual bool IsMainWindowForeground() = 0;

    // A message with an OK button, and a question with OK and Cancel (true for
    // OK). May be called on the worker thread and must then block until the
    // user has answered.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual bool AskOkCancel(const std::string& text) = 0;

    // Adds a file to the recent-file list. May be called on the worker thread.
    virtual void AddToRecentFiles(const std::string& path) = 0;

    // The device path behind COM port n (1-9), from the port map.
    virtual std::string DevicePathForPort(int commPort) = 0;
};

}  // namespace orv
