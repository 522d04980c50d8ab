// The transfer engine: one object for the life of the program, owning the
// serial link and its worker thread, running saves and restores.
//
// PUBLIC CONTRACT: the desktop program, orv-cli and the tests are written
// against the members declared public here. Private members are the engine's
// own business.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "engine/EngineHost.h"
#include "engine/SerialLink.h"

namespace orv {

enum TransferKind : int { Save = 0, Restore = 1, ImportIcons = 2, ImportSound = 3 };
enum TransferFormat : int { Undetermined = 1, Records = 2, Text = 3, Unversioned = 4 };

// The kind of transfer a request notification asks for (Save for TN_SAVE_REQUEST
// and for codes that are no request).
inline TransferKind RequestedKind(int code) {
    switch (code) {
        case TN_RESTORE_REQUEST:
            return Restore;
        case TN_ICONS_REQUEST:
            return ImportIcons;
        case TN_SOUND_REQUEST:
            return ImportSound;
        default:
            return Save;
    }
}

class CORVSerialPort {
public:
    // makeLine: the line of each opening (null: the real serial line).
    explicit CORVSerialPort(EngineHost& host, SerialLinkFactory makeLine = nullptr);
    ~CORVSerialPort();  // closes the transfer file; ClosePort when open
    CORVSerialPort(const CORVSerialPort&) = delete;
    CORVSerialPort& operator=(const CORVSerialPort&) = delete;

    // Opens the port of g_Globals.CommPort (through the host's port map, or the
    // device path set with SetDevicePath) at the effective baud rate of
    // g_Globals, copies what the worker needs of the settings (the model's
    // ID, the time-out), and starts the worker. On failure tells the user
    // (message 151, with a hint when permission was refused; not when
    // reportFailure is false) and returns false.
    bool OpenPort(bool reportFailure = true);
    // Stops the worker (waiting at most 5 x T ms) and closes the port; a
    // running transfer ends first (see EngineHost.h for the whole lockstep).
    void ClosePort();

    // A device path used instead of the COM port map (orv-cli --port, tests).
    // The port is then named by this path in messages. Empty: use the map.
    void SetDevicePath(const std::string& path);

    // User-interface side (call while the worker is idle or blocked on a
    // notification). The worker goes on when its Notification is released.
    void ArmTransfer(const std::string& path, TransferKind kind);
    void SetCancel();  // ask the worker to give up the transfer
    void SetNotificationTarget(NotifyTarget target);
    NotifyTarget NotificationTarget() const;
    void SetSoundSourcePath(const std::string& path);

    // State the user interface reads.
    bool IsPortOpen() const;
    bool IsTransferring() const;
    bool IsLinkLost() const;  // the line hung up; the worker has ended
    bool IsArmed() const;
    TransferKind ArmedKind() const;
    TransferFormat Format() const;
    std::string PortName() const;         // "COM3", or the device path when set directly
    std::string OpenedPath() const;       // the device path of the last opening
    std::string CurrentFileName() const;  // the file the user sees (first or continuation file)
    std::string SoundSourcePath() const;
    std::string FileErrorText() const;  // last failure to create a continuation file

private:
    struct Impl;
    // Shared with the worker thread, so that a worker that does not end when
    // the port closes never touches freed state.
    std::shared_ptr<Impl> m_impl;
};

}  // namespace orv
