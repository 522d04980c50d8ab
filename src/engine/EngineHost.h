// What the transfer engine needs from the program that hosts it: the desktop
// program, orv-cli, the tests. The engine knows nothing else about its host.
//
// THE LOCKSTEP (every host lives by it; the engine enforces it):
//
//  - The worker hands each notification to the host as a Notification and
//    waits until it is released. Releasing is the host's answer. A
//    Notification is released exactly once: by Release(), or at the latest
//    when the object is destroyed, so an answer can be neither forgotten nor
//    given twice. Set the cancel flag (CORVSerialPort::SetCancel) before
//    releasing when the answer is Cancel.
//  - A request notification (TN_SAVE_REQUEST, TN_RESTORE_REQUEST,
//    TN_ICONS_REQUEST, TN_SOUND_REQUEST) is released once the progress
//    display has opened and made itself the notification target, or, when
//    the request is refused, after SetCancel.
//  - TN_FINISHED is released by whoever closes the progress display, after
//    the notification target has been handed back to the main window. A
//    TN_FINISHED that reaches the main window is released when handled.
//  - ClosePort may be called at any time from the host's thread. When no
//    transfer runs it simply stops the worker. During a transfer it ends the
//    transfer as a cancel does (the device is told with the abort byte) and
//    waits at most 5 x T for the worker. A transfer whose TN_FINISHED has
//    been posted is complete: closing then, released or not, never turns it
//    into an aborted one and sends nothing more to the device.
//  - When the line hangs up (an adapter unplugged), a running transfer ends
//    with the communication-error outcome at once, the worker ends, and the
//    host hears of it through LinkLost. The port stays "open" for the host
//    to close (and, once the device is back, to open again).
#pragma once

#include <cstdint>
#include <memory>
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

class NotificationGate;

// One notification the worker waits on. Move-only; released exactly once.
class Notification {
public:
    Notification() = default;
    // A notification nobody waits for (for displays driven without an engine).
    Notification(int code, long value) : m_code(code), m_value(value) {}
    Notification(std::shared_ptr<NotificationGate> gate, uint64_t ticket, int code, long value)
        : m_gate(std::move(gate)), m_ticket(ticket), m_code(code), m_value(value) {}
    ~Notification() { Release(); }
    Notification(Notification&& other) noexcept { *this = std::move(other); }
    Notification& operator=(Notification&& other) noexcept;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    int Code() const { return m_code; }
    long Value() const { return m_value; }
    // Whether the worker still waits for this one.
    bool IsPending() const { return m_gate != nullptr; }
    // Lets the worker go on. Later calls do nothing.
    void Release();

private:
    std::shared_ptr<NotificationGate> m_gate;
    uint64_t m_ticket = 0;
    int m_code = 0;
    long m_value = 0;
};

class EngineHost {
public:
    virtual ~EngineHost() = default;

    // Hands the notification to target, to be handled on the host's own
    // thread, which then releases it as the lockstep above says. Called on
    // the worker thread; must not block on the user.
    virtual void PostNotification(NotifyTarget target, Notification note) = 0;

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

    // The line hung up for good (the adapter was unplugged): the worker has
    // ended. Called on the worker thread, once; must not block. The host
    // closes the port on its own thread.
    virtual void LinkLost() = 0;
};

}  // namespace orv
