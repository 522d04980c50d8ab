// The line under the engine, as the worker uses it. SerialLine is the real
// one (a POSIX terminal device); the engine's tests script a fake one whose
// time-outs pass in no time.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace orv {

class SerialLink {
public:
    enum class OpenError {
        None,
        NotFound,
        InUse,
        NoPermission,
        NotATerminal,
        Console,
        BadRate,
        Other,
    };
    struct OpenResult {
        OpenError error = OpenError::None;
        int osError = 0;
    };

    // HungUp: the device end is gone for good (an adapter unplugged).
    enum class Status { Ok, Timeout, Failed, Woken, HungUp };
    struct ReadResult {
        int count = 0;  // bytes placed in the buffer
        Status status = Status::Ok;
    };

    virtual ~SerialLink() = default;

    // Opens and configures the device; the settings found are put back by Close.
    virtual OpenResult Open(const std::string& path, unsigned baudRate) = 0;
    // Lets the device have everything already written, throws away unread
    // input, restores the saved settings and closes.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Reads at least count bytes, and with them whatever else the line
    // already has, up to capacity (>= count). Returns when count bytes
    // arrived, totalMs passed, gapMs passed after a byte without another one,
    // the line failed, or Wake was called (Woken, with what arrived so far).
    virtual ReadResult Read(char* buffer, int count, int capacity, int totalMs, int gapMs) = 0;
    // Writes all bytes, waiting at most timeoutMs for room. Anything but Ok
    // means the bytes did not all go out (Timeout: the device took no more).
    virtual Status Write(const char* data, int count, int timeoutMs) = 0;
    virtual void PurgeInput() = 0;

    // Waits up to ms or until Wake; true when woken.
    virtual bool WaitForWake(int ms) = 0;
    // Ends a Read or WaitForWake in progress (or the next one). Any thread.
    virtual void Wake() = 0;
};

// Makes the line of each opening of the port.
using SerialLinkFactory = std::function<std::unique_ptr<SerialLink>()>;

}  // namespace orv
