#include "engine/Serial.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "core/Catalogue.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "engine/PortPermission.h"
#include "engine/SerialImpl.h"
#include "engine/SerialLine.h"

namespace orv {

namespace {

// What the user reads beneath message 151.
std::string OpenFailureDetail(const SerialLink::OpenResult& r, const std::string& path,
                              unsigned baudRate) {
    switch (r.error) {
        case SerialLink::OpenError::NotFound:
            return FormatString(IDM_PORT_NOT_FOUND, path);
        case SerialLink::OpenError::InUse:
            return FormatString(IDM_PORT_IN_USE, path);
        case SerialLink::OpenError::NoPermission:
            return PermissionAdvice(path);
        case SerialLink::OpenError::NotATerminal:
            return FormatString(IDM_PORT_NOT_SERIAL, path);
        case SerialLink::OpenError::Console:
            return FormatString(IDM_PORT_IS_CONSOLE, path);
        case SerialLink::OpenError::BadRate:
            return FormatString(IDM_PORT_BAD_RATE, path, std::to_string(baudRate));
        case SerialLink::OpenError::Other:
        case SerialLink::OpenError::None:
            break;
    }
    return FormatString(IDM_PORT_SETUP_FAILED, path, std::generic_category().message(r.osError));
}

}  // namespace

CORVSerialPort::CORVSerialPort(EngineHost& host, SerialLinkFactory makeLine)
    : m_impl(std::make_shared<Impl>(host, makeLine ? std::move(makeLine) : SerialLinkFactory([] {
                                        return std::make_unique<SerialLine>();
                                    }))) {}

CORVSerialPort::~CORVSerialPort() {
    // The worker goes first: it may still use the transfer file.
    if (m_impl->portOpen) {
        ClosePort();
    }
    m_impl->CloseTransferFile();
}

bool CORVSerialPort::OpenPort(bool reportFailure) {
    Impl& d = *m_impl;
    ORV_CHECK(!d.portOpen && !d.transfer && !d.started);
    ORV_CHECK(!d.worker.joinable() && !d.file.IsOpen());
    if (d.portOpen) {
        return true;
    }
    d.timeoutMs = g_nSerialTimeout;
    d.portNumber = g_Globals.CommPort;
    d.modelId = g_Globals.ModelId;
    std::string path;
    {
        std::lock_guard lock(d.nameMutex);
        if (d.devicePath.empty()) {
            ORV_CHECK(d.portNumber >= 1 && d.portNumber <= 9);
            d.portName = "COM" + std::to_string(d.portNumber);
        } else {
            d.portName = d.devicePath;
        }
        path = d.devicePath;
    }
    if (path.empty()) {
        path = d.host.DevicePathForPort(d.portNumber);
    }
    {
        std::lock_guard lock(d.nameMutex);
        d.openedPath = path;
    }
    d.baudRate = EffectiveBaudRate(g_Globals.BaudIndex, g_Globals.ModelIndex);

    d.line = d.makeLine();
    SerialLink::OpenResult r = d.line->Open(path, d.baudRate);
    if (r.error != SerialLink::OpenError::None) {
        if (!reportFailure) {
            return false;
        }
        d.host.ShowMessage(FormatString(IDM_CANNOT_OPEN_PORT, PortName()) + "\n\n" +
                           OpenFailureDetail(r, path, d.baudRate));
        return false;
    }

    d.stop = false;
    d.cancel = false;
    d.hungUp = false;
    d.workerExited = false;
    d.receivedPos = 0;
    d.receivedEnd = 0;
    // Open before the worker runs: a request already waiting on the line
    // starts a transfer at once, and the transfer checks that the port is open.
    d.portOpen = true;
    for (;;) {
        try {
            std::shared_ptr<Impl> self = m_impl;
            d.worker = std::thread([self] {
                self->WorkerMain();
                std::lock_guard lock(self->exitMutex);
                self->workerExited = true;
                self->exitCv.notify_all();
            });
            break;
        } catch (const std::system_error&) {
            if (!d.host.AskOkCancel(FormatString(IDM_NO_RESOURCES, PortName()))) {
                d.portOpen = false;
                d.line->Close();
                return false;
            }
        }
    }
    return true;
}

void CORVSerialPort::ClosePort() {
    Impl& d = *m_impl;
    if (!d.portOpen) {
        return;
    }
    // A running transfer sees the stop flag at its next read and ends as
    // cancelled; one whose outcome is out is complete and just returns.
    d.stop = true;
    d.gate->Interrupt();
    d.line->Wake();

    bool ended;
    {
        std::unique_lock lock(d.exitMutex);
        ended = d.exitCv.wait_for(lock, std::chrono::milliseconds(5LL * d.timeoutMs),
                                  [&] { return d.workerExited; });
    }
    if (ended) {
        d.worker.join();
    } else {
        // The worker keeps its own reference to this state and the line; it
        // closes them when it ends. This object starts afresh.
        ORV_INTERNAL_ERROR();
        d.worker.detach();
        auto fresh = std::make_shared<Impl>(d.host, d.makeLine);
        {
            std::lock_guard lock(d.nameMutex);
            fresh->devicePath = d.devicePath;
            fresh->portName = d.portName;
            fresh->soundSourcePath = d.soundSourcePath;
        }
        fresh->target = d.target.load();
        fresh->portOpen = false;
        m_impl = fresh;
        return;
    }
    d.stop = false;
    d.cancel = false;
    d.line->Close();
    d.portOpen = false;
}

void CORVSerialPort::SetDevicePath(const std::string& path) {
    std::lock_guard lock(m_impl->nameMutex);
    m_impl->devicePath = path;
}

void CORVSerialPort::SetCancel() {
    m_impl->cancel = true;
    m_impl->line->Wake();
}

void CORVSerialPort::SetNotificationTarget(NotifyTarget target) {
    m_impl->target = target;
}

NotifyTarget CORVSerialPort::NotificationTarget() const {
    return m_impl->target;
}

void CORVSerialPort::SetSoundSourcePath(const std::string& path) {
    std::lock_guard lock(m_impl->nameMutex);
    // The path buffer holds 259 characters and a terminator.
    m_impl->soundSourcePath = path.substr(0, 259);
}

bool CORVSerialPort::IsPortOpen() const {
    return m_impl->portOpen;
}
bool CORVSerialPort::IsTransferring() const {
    return m_impl->transfer;
}
bool CORVSerialPort::IsLinkLost() const {
    return m_impl->hungUp;
}
bool CORVSerialPort::IsArmed() const {
    return m_impl->armed;
}
TransferKind CORVSerialPort::ArmedKind() const {
    return static_cast<TransferKind>(m_impl->armedKind.load());
}
TransferFormat CORVSerialPort::Format() const {
    return static_cast<TransferFormat>(m_impl->format.load());
}
std::string CORVSerialPort::PortName() const {
    std::lock_guard lock(m_impl->nameMutex);
    return m_impl->portName.empty()
               ? (m_impl->devicePath.empty() ? "COM" + std::to_string(g_Globals.CommPort)
                                             : m_impl->devicePath)
               : m_impl->portName;
}
std::string CORVSerialPort::OpenedPath() const {
    std::lock_guard lock(m_impl->nameMutex);
    return m_impl->openedPath;
}
std::string CORVSerialPort::CurrentFileName() const {
    return m_impl->GetCurrentFileName();
}
std::string CORVSerialPort::SoundSourcePath() const {
    std::lock_guard lock(m_impl->nameMutex);
    return m_impl->soundSourcePath;
}
std::string CORVSerialPort::FileErrorText() const {
    std::lock_guard lock(m_impl->nameMutex);
    return m_impl->fileErrorText;
}

// ---- The link, on the worker thread ----

void CORVSerialPort::Impl::CheckCancelled() {
    if (cancel || stop) {
        ThrowORVException(IDM_TRANSFER_CANCELLED);
    }
}

void CORVSerialPort::Impl::FailLine(SerialLink::Status status, bool raise) {
    lineFailed = true;
    if (status == SerialLink::Status::HungUp) {
        hungUp = true;
    }
    if (raise) {
        ThrowORVException(IDM_COMM_ERROR);
    }
}

bool CORVSerialPort::Impl::ReadBytes(char* buffer, int count, bool raiseOnError) {
    if (!ORV_CHECK(count >= 1)) {
        return false;
    }
    int pos = 0;
    bool enqMark = false;
    for (;;) {
        CheckCancelled();
        if (hungUp) {
            FailLine(SerialLink::Status::HungUp, raiseOnError);
            return false;
        }
        SerialLink::ReadResult r = ReadChunk(buffer + pos, count - pos);
        if (r.count == 0) {
            switch (r.status) {
                case SerialLink::Status::Woken:
                    continue;
                case SerialLink::Status::Failed:
                case SerialLink::Status::HungUp:
                    FailLine(r.status, raiseOnError);
                    return false;
                case SerialLink::Status::Ok:
                case SerialLink::Status::Timeout:
                    break;
            }
            if (enqMark) {
                std::this_thread::yield();
                continue;
            }
            if (raiseOnError) {
                ThrowORVException(IDM_COMM_TIMEOUT);
            }
            return false;
        }
        char last = buffer[pos + r.count - 1];
        if (last == kEnqByte) {
            // The device asks us to wait: the chunk is dropped and the wait goes on.
            enqMark = true;
            std::this_thread::yield();
            continue;
        }
        enqMark = false;
        if (started && last == kRequestByte) {
            if (raiseOnError) {
                ThrowORVException(IDM_HALTED_BY_DEVICE);
            }
            return false;
        }
        pos += r.count;
        if (pos == count) {
            return true;
        }
    }
}

int CORVSerialPort::Impl::TakeReceived(char* dest, int count) {
    int n = std::min(count, receivedEnd - receivedPos);
    std::copy_n(received + receivedPos, n, dest);
    receivedPos += n;
    return n;
}

SerialLink::ReadResult CORVSerialPort::Impl::ReadChunk(char* dest, int count) {
    int taken = TakeReceived(dest, count);
    if (taken == count) {
        return {count, SerialLink::Status::Ok};
    }
    // Bytes already taken count as the start of the chunk: only the gap
    // after them is waited for, as a read that had received them would.
    SerialLink::ReadResult r = line->Read(received, count - taken, kReceiveBufferSize,
                                          taken > 0 ? kInterByteGapMs : timeoutMs, kInterByteGapMs);
    receivedPos = 0;
    receivedEnd = r.count;
    r.count = taken + TakeReceived(dest + taken, count - taken);
    return r;
}

void CORVSerialPort::Impl::PurgeInput() {
    line->PurgeInput();
    receivedPos = 0;
    receivedEnd = 0;
}

void CORVSerialPort::Impl::WriteBytes(const char* buffer, int count, bool purgeInputFirst) {
    if (hungUp) {
        FailLine(SerialLink::Status::HungUp, true);
    }
    if (purgeInputFirst) {
        PurgeInput();
    }
    SerialLink::Status status = line->Write(buffer, count, timeoutMs);
    if (status != SerialLink::Status::Ok) {
        FailLine(status, true);
    }
}

bool CORVSerialPort::Impl::NotifyAndWait(int code, long value, bool raiseIfCancelled) {
    bool released = false;
    // A closing port has nobody left to answer.
    if (!stop) {
        uint64_t ticket = gate->Open();
        host.PostNotification(target.load(), Notification(gate, ticket, code, value));
        released = gate->Wait(ticket, [this] { return stop.load(); });
    }
    // Only the host's cancel, or a close that cut the wait short, ends the
    // transfer here. A close after the host's answer is seen at the next read;
    // and once the outcome is out the transfer is complete, closed or not.
    bool cancelled = cancel || (stop && !released && code != TN_FINISHED);
    if (cancelled && raiseIfCancelled) {
        ThrowORVException(IDM_TRANSFER_CANCELLED);
    }
    return cancelled;
}

void CORVSerialPort::Impl::WorkerMain() {
    // The line was purged when it opened; purging again here would throw away
    // a request the device sent in the meantime.
    target = host.MainWindowTarget();
    while (!stop && !hungUp) {
        // A cancel left over from a finished transfer means nothing here.
        cancel = false;
        char byte = 0;
        bool got = false;
        lineFailed = false;
        try {
            got = ReadBytes(&byte, 1, false);
        } catch (const CORVException&) {
            continue;
        }
        if (!got) {
            if (lineFailed && !hungUp) {
                // A failing line answers every read at once; wait instead of spinning.
                line->WaitForWake(timeoutMs);
            }
            continue;
        }
        if (byte != kRequestByte || !host.IsMainWindowForeground()) {
            continue;
        }
        RunTransfer();
    }
    CloseTransferFile();
    // A hung-up line never comes back: the host closes the port and opens
    // it again once the device is there again.
    if (hungUp && !stop) {
        host.LinkLost();
    }
}

void CORVSerialPort::Impl::RunTransfer() {
    // Whether a progress display took the notifications, judged before the
    // abort hands the target back.
    auto noProgressDisplay = [this] { return target.load() == host.MainWindowTarget(); };
    try {
        if (StartTransfer()) {
            if (armedKind == Save) {
                ReceiveMemory();
            } else {
                SendMemory();
            }
        }
    } catch (const CORVException& e) {
        bool showText = noProgressDisplay();
        AbortTransfer(true, e.MessageId());
        if (showText && !stop) {
            host.ShowMessage(e.Text());
        }
    } catch (const FileError& e) {
        if (!stop) {
            host.ShowMessage(e.Message());
        }
        AbortTransfer(true, IDM_TRANSFER_ABORTED);
    } catch (const std::exception&) {
        ORV_INTERNAL_ERROR();
        AbortTransfer(true, IDM_TRANSFER_ABORTED);
    }
}

}  // namespace orv
