#include "cli/TransferCommand.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

#include "appcore/PortMap.h"
#include "appcore/ProfileStore.h"
#include "cli/Commands.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Settings.h"
#include "core/StringTable.h"
#include "engine/Progress.h"
#include "engine/TransferFile.h"

namespace orv::cli {

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    int saved = errno;
    char b = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &b, 1);
    errno = saved;
}

void DrainFd(int fd) {
    char buf[64];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

// Bytes, rate and percentage on standard error: on a terminal one line
// rewritten at most twice a second and once more with the final figures, so a
// fast transfer does not spend its time writing; otherwise an occasional line.
class Progress {
public:
    Progress() : m_terminal(::isatty(STDERR_FILENO) == 1), m_dumb(IsDumbTerminal()) { Reset(); }

    void Reset() {
        m_progress.Start(Ticks());
        m_lastPrint = Clock::now();
        m_pending = false;
    }
    void SetTotal(long total) { m_progress.SetTotal(total); }
    void Add(long value) {
        m_progress.Add(value, Ticks());
        m_pending = true;
        auto now = Clock::now();
        auto interval = m_terminal ? std::chrono::milliseconds(500) : std::chrono::seconds(5);
        if (now - m_lastPrint >= interval) {
            Print();
            m_lastPrint = now;
        }
    }
    void Finish() {
        if (m_terminal && m_pending) {
            Print();
        }
        if (m_terminal && m_printed) {
            std::fputs("\n", stderr);
        }
        m_printed = false;
        m_pending = false;
        m_width = 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    static uint32_t Ticks() {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
                .count());
    }
    static bool IsDumbTerminal() {
        const char* term = std::getenv("TERM");
        return term == nullptr || std::string_view(term) == "dumb";
    }
    void Print() {
        std::string line =
            std::to_string(m_progress.Bytes()) + " bytes  " + m_progress.RateText() + " kB/s";
        if (m_progress.HasTotal()) {
            line += "  " + std::to_string(m_progress.Percent()) + "%";
        }
        m_pending = false;
        if (!m_terminal) {
            std::fprintf(stderr, "%s\n", line.c_str());
        } else if (m_dumb) {
            // No erase-line escape: blanks cover what a longer line left.
            std::size_t width = line.size();
            line.append(m_width > width ? m_width - width : 0, ' ');
            m_width = width;
            std::fprintf(stderr, "\r%s", line.c_str());
        } else {
            std::fprintf(stderr, "\r%s\033[K", line.c_str());
        }
        std::fflush(stderr);
        m_printed = true;
    }

    bool m_terminal;
    bool m_dumb;
    bool m_printed = false;
    bool m_pending = false;
    std::size_t m_width = 0;
    TransferProgress m_progress;
    Clock::time_point m_lastPrint;
};

// Lines from standard input, read without stdio so that a signal can end the wait.
class InputLines {
public:
    // The next line without its end; nothing at the end of input or on a signal.
    std::optional<std::string> Next(bool& interrupted) {
        interrupted = false;
        for (;;) {
            size_t nl = m_buffer.find('\n');
            if (nl != std::string::npos) {
                std::string line = m_buffer.substr(0, nl);
                m_buffer.erase(0, nl + 1);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                return line;
            }
            if (m_eof) {
                if (m_buffer.empty()) {
                    return std::nullopt;
                }
                std::string line;
                line.swap(m_buffer);
                return line;
            }
            struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                m_eof = true;
                continue;
            }
            if (fds[1].revents & POLLIN) {
                DrainFd(g_signalPipe[0]);
                interrupted = true;
                return std::nullopt;
            }
            char buf[256];
            ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) {
                m_eof = true;
            } else {
                m_buffer.append(buf, static_cast<size_t>(n));
            }
        }
    }

private:
    std::string m_buffer;
    bool m_eof = false;
};

class CliHost : public EngineHost {
public:
    explicit CliHost(PortMap& ports) : m_ports(ports) {
        if (::pipe2(m_notifyPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            m_notifyPipe[0] = m_notifyPipe[1] = -1;
        }
    }
    ~CliHost() override {
        for (int fd : m_notifyPipe) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    void PostNotification(NotifyTarget, Notification note) override {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(note));
        }
        WakeServer();
    }
    void LinkLost() override {
        m_linkLost = true;
        WakeServer();
    }
    NotifyTarget MainWindowTarget() override { return &m_mainTag; }
    // No window whose focus could matter.
    bool IsMainWindowForeground() override { return true; }
    void ShowMessage(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        if (text != m_outcomeText) {
            std::fprintf(stderr, "%s\n", text.c_str());
        }
    }
    bool AskOkCancel(const std::string& text) override { return Ask(text); }
    void AddToRecentFiles(const std::string&) override {}  // orv-cli leaves the profile alone
    std::string DevicePathForPort(int commPort) override { return m_ports.DevicePath(commPort); }

    // Serves notifications until the transfer has ended; returns its
    // outcome, 0 when it never started, kLinkLost when the line hung up first.
    static constexpr int kLinkLost = -1;
    int Serve(CORVSerialPort& port);

private:
    void WakeServer() {
        char b = 1;
        [[maybe_unused]] ssize_t n = ::write(m_notifyPipe[1], &b, 1);
    }
    bool Ask(const std::string& text);
    bool Handle(CORVSerialPort& port, Notification note);

    PortMap& m_ports;
    int m_notifyPipe[2];
    std::mutex m_mutex;
    std::deque<Notification> m_queue;
    std::atomic<bool> m_linkLost{false};
    std::string m_outcomeText;
    int m_mainTag = 0;
    int m_progressTag = 0;
    bool m_requested = false;
    int m_outcome = 0;
    Progress m_progress;
    InputLines m_input;
};

bool CliHost::Ask(const std::string& text) {
    for (;;) {
        std::printf("%s\n[Enter or y: OK, n or c: Cancel] ", text.c_str());
        std::fflush(stdout);
        bool interrupted = false;
        std::optional<std::string> line = m_input.Next(interrupted);
        if (!line) {
            std::printf("\n");
            return false;
        }
        if (line->empty() || *line == "y" || *line == "Y") {
            return true;
        }
        if (*line == "n" || *line == "N" || *line == "c" || *line == "C") {
            return false;
        }
    }
}

int CliHost::Serve(CORVSerialPort& port) {
    for (;;) {
        struct pollfd fds[2] = {{m_notifyPipe[0], POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return IDM_TRANSFER_ABORTED;
        }
        if (fds[1].revents & POLLIN) {
            DrainFd(g_signalPipe[0]);
            if (!m_requested) {
                return 0;  // interrupted while waiting for the device
            }
            port.SetCancel();
        }
        if (fds[0].revents & POLLIN) {
            DrainFd(m_notifyPipe[0]);
            for (;;) {
                Notification note;
                {
                    std::lock_guard lock(m_mutex);
                    if (m_queue.empty()) {
                        break;
                    }
                    note = std::move(m_queue.front());
                    m_queue.pop_front();
                }
                if (Handle(port, std::move(note))) {
                    return m_outcome;
                }
            }
            // A transfer cut by the hang-up has posted its outcome first.
            if (m_linkLost) {
                return kLinkLost;
            }
        }
    }
}

// True once the transfer has ended. Each case answers by releasing note (at
// the latest when it goes out of scope).
bool CliHost::Handle(CORVSerialPort& port, Notification note) {
    const int code = note.Code();
    switch (code) {
        case TN_SAVE_REQUEST:
        case TN_RESTORE_REQUEST:
        case TN_ICONS_REQUEST:
        case TN_SOUND_REQUEST:
            m_requested = true;
            if (port.IsArmed() && port.ArmedKind() == RequestedKind(code)) {
                port.SetNotificationTarget(&m_progressTag);
                m_progress.Reset();
            } else {
                port.SetCancel();  // another kind than the one asked for on the command line
            }
            break;
        case TN_SET_TOTAL:
            m_progress.SetTotal(note.Value());
            break;
        case TN_ADD_BYTES:
            m_progress.Add(note.Value());
            break;
        case TN_DISK_FULL:
        case TN_CANNOT_CONTINUE:
        case TN_INSERT_CONTINUATION:
        case TN_REINSERT_FIRST:
            m_progress.Finish();
            if (!Ask(DiskPromptText(code, port.CurrentFileName(), port.FileErrorText()))) {
                port.SetCancel();
            }
            break;
        case TN_FINISHED: {
            m_progress.Finish();
            m_outcome = static_cast<int>(note.Value() & 0xFFFF);
            std::string text = LoadString(m_outcome);
            {
                std::lock_guard lock(m_mutex);
                m_outcomeText = text;
            }
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
            // The display closes: the target goes back, then the worker goes on.
            port.SetNotificationTarget(&m_mainTag);
            note.Release();
            return true;
        }
        default:
            break;
    }
    return false;
}

}  // namespace

int RunTransfer(const TransferOptions& options, TransferKind kind, const std::string& path,
                const std::string& soundSource) {
    // A script has no one to ask: an empty file would leave the device with nothing.
    if (kind == Restore && IsEmptyFile(path)) {
        std::fprintf(stderr, "%s\n", FormatString(IDM_RESTORE_EMPTY_REFUSED, path).c_str());
        return kExitFailed;
    }
    std::unique_ptr<QSettings> profile = OpenUserProfile();
    QSettingsProfileStore store(*profile);
    LoadSettings(store, g_Globals);
    if (options.modelIndex) {
        g_Globals.SelectModel(*options.modelIndex);
    }
    if (options.baudIndex) {
        g_Globals.BaudIndex = *options.baudIndex;
    }
    if (options.comPort) {
        g_Globals.CommPort = *options.comPort;
    }
    g_nSerialTimeout = options.timeoutMs.value_or(kDefaultSerialTimeout);

    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("orv-cli");
        return kExitFailed;
    }
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    // A closed terminal or a dropped remote session ends a save as Ctrl-C
    // does: cancelled, its data kept. Output to a reader that has gone must
    // not end the process before that.
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    PortMap ports(*profile);
    CliHost host(ports);
    CORVSerialPort port(host);
    if (options.devicePath) {
        port.SetDevicePath(*options.devicePath);
    }
    if (!soundSource.empty()) {
        port.SetSoundSourcePath(soundSource);
    }
    port.ArmTransfer(path, kind);
    if (!port.IsArmed()) {
        return kExitFailed;  // the file error has been shown
    }
    if (!port.OpenPort()) {
        return kExitNoPort;
    }
    std::printf("%s\n", LoadString(InstructionsId(g_Globals.ModelIndex)).c_str());
    std::fflush(stdout);
    int outcome = host.Serve(port);
    bool lost = port.IsLinkLost();
    port.ClosePort();
    if (lost) {
        std::fprintf(stderr, "%s\n", FormatString(IDM_PORT_GONE, port.PortName()).c_str());
    }
    if (outcome == CliHost::kLinkLost) {
        return kExitNoPort;
    }
    return outcome == IDM_TRANSFER_COMPLETED ? kExitOk : kExitFailed;
}

}  // namespace orv::cli
