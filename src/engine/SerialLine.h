// The serial line under the engine: a POSIX terminal device opened
// exclusively, raw 8N1 without flow control, read with poll() so that a
// time-out, the gap between bytes and a wake-up from another thread all end a
// wait.
#pragma once

#include <sys/types.h>

struct serial_struct;

#include <string>
#include <string_view>
#include <vector>

namespace orv {

class SerialLine {
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

    enum class Status { Ok, Timeout, Failed, Woken };
    struct ReadResult {
        int count = 0;  // bytes placed in the buffer
        Status status = Status::Ok;
    };

    SerialLine();
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens and configures the device; the settings found are put back by Close.
    OpenResult Open(const std::string& path, unsigned baudRate);
    // Drains the output, throws away unread input, restores the saved
    // settings and closes. The device gets everything already written.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to count bytes. Returns when count bytes arrived, totalMs
    // passed, gapMs passed after a byte without another one, the line failed,
    // or Wake was called (Woken, with what arrived so far).
    ReadResult Read(char* buffer, int count, int totalMs, int gapMs);
    // Writes all bytes, waiting at most timeoutMs for room; a write that
    // cannot finish in time is given up without an error. False when the
    // line failed.
    bool Write(const char* data, int count, int timeoutMs);
    void PurgeInput();
    void PurgeAll();

    // Waits up to ms or until Wake; true when woken.
    bool WaitForWake(int ms);
    // Ends a Read or WaitForWake in progress (or the next one). Any thread.
    void Wake();

private:
    void DrainWake();
    bool EnterLowLatency(int fd);
    void LeaveLowLatency();

    int m_fd = -1;
    bool m_lowLatencySet = false;  // turned on at open, so turned off at close
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    bool m_haveSaved = false;
    unsigned char m_saved[128] = {};  // struct termios as found at open
};

// The driver calls behind low-latency mode (TIOCGSERIAL, TIOCSSERIAL), so
// that a test can stand in for a USB-serial driver; null restores ioctl.
using SerialInfoCall = int (*)(int fd, unsigned long request, struct serial_struct* info);
void SetSerialInfoCall(SerialInfoCall call);

// termios2 access for rates outside the standard table (2125 baud).
bool SetCustomBaudRate(int fd, unsigned rate);
unsigned ReadOutputBaudRate(int fd);  // 0 when unknown

}  // namespace orv
