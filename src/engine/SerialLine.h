// The serial line under the engine: a POSIX terminal device opened
// exclusively, raw 8N1 without flow control, read with poll() so that a
// time-out, the gap between bytes, a hang-up and a wake-up from another
// thread all end a wait.
#pragma once

#include <sys/types.h>

struct serial_struct;

#include <string>
#include <string_view>
#include <vector>

#include "engine/SerialLink.h"

namespace orv {

class SerialLine : public SerialLink {
public:
    SerialLine();
    ~SerialLine() override;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    OpenResult Open(const std::string& path, unsigned baudRate) override;
    void Close() override;
    bool IsOpen() const override { return m_fd >= 0; }
    ReadResult Read(char* buffer, int count, int capacity, int totalMs, int gapMs) override;
    Status Write(const char* data, int count, int timeoutMs) override;
    void PurgeInput() override;
    void PurgeAll();
    bool WaitForWake(int ms) override;
    void Wake() override;

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
