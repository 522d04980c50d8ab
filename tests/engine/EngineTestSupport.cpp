#include "tests/engine/EngineTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace orv::test {

namespace {

int g_mainTarget;
int g_dialogTarget;

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

}  // namespace

NotifyTarget TestHost::MainTarget() {
    return &g_mainTarget;
}
NotifyTarget TestHost::DialogTarget() {
    return &g_dialogTarget;
}

TestHost::TestHost() : m_thread([this] { Run(); }) {}

TestHost::~TestHost() {
    Stop();
}

void TestHost::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_cv.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ReleaseFinished();
}

void TestHost::PostNotification(NotifyTarget target, Notification note) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({target, std::move(note)});
    }
    m_cv.notify_all();
}

void TestHost::SetFileForRequest(std::string path) {
    std::lock_guard lock(m_mutex);
    m_fileForRequest = std::move(path);
}

void TestHost::SetOnPrompt(std::function<bool(int code)> onPrompt) {
    std::lock_guard lock(m_mutex);
    m_onPrompt = std::move(onPrompt);
}

void TestHost::SetOnAddBytes(std::function<void()> onAddBytes) {
    std::lock_guard lock(m_mutex);
    m_onAddBytes = std::move(onAddBytes);
}

void TestHost::ReleaseFinished() {
    Notification held;
    {
        std::lock_guard lock(m_mutex);
        held = std::move(m_heldFinished);
    }
    held.Release();
}

void TestHost::LinkLost() {
    {
        std::lock_guard lock(m_mutex);
        m_linkLost = true;
    }
    m_cv.notify_all();
}

bool TestHost::WaitLinkLost(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_linkLost; });
}

void TestHost::Run() {
    for (;;) {
        Note note;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [&] { return m_quit || !m_queue.empty(); });
            if (m_queue.empty()) {
                return;
            }
            note = std::move(m_queue.front());
            m_queue.pop_front();
            m_codes.push_back(note.note.Code());
        }
        Handle(note.target, std::move(note.note));
    }
}

// Each case answers by releasing note (at the latest when it goes out of scope).
void TestHost::Handle(NotifyTarget target, Notification note) {
    CORVSerialPort& port = *m_port;
    const int code = note.Code();
    const long value = note.Value();
    switch (code) {
        case TN_SAVE_REQUEST:
        case TN_RESTORE_REQUEST:
        case TN_ICONS_REQUEST:
        case TN_SOUND_REQUEST: {
            TransferKind kind = RequestedKind(code);
            if (!port.IsArmed() || port.ArmedKind() != kind) {
                std::string file;
                {
                    std::lock_guard lock(m_mutex);
                    file = m_fileForRequest;
                }
                if (file.empty()) {
                    port.SetCancel();
                    return;
                }
                port.ArmTransfer(file, kind);
            }
            // The progress display opens, takes the notifications and releases the worker.
            port.SetNotificationTarget(DialogTarget());
            return;
        }
        case TN_SET_TOTAL: {
            std::lock_guard lock(m_mutex);
            m_totals.push_back(value);
            break;
        }
        case TN_ADD_BYTES: {
            std::function<void()> hook;
            {
                std::lock_guard lock(m_mutex);
                m_bytes += value & 0xFFFF;
                hook = m_onAddBytes;
            }
            if (hook) {
                hook();
            }
            break;
        }
        case TN_DISK_FULL:
        case TN_CANNOT_CONTINUE:
        case TN_INSERT_CONTINUATION:
        case TN_REINSERT_FIRST: {
            std::function<bool(int)> hook;
            {
                std::lock_guard lock(m_mutex);
                m_promptFiles.push_back(port.CurrentFileName());
                hook = m_onPrompt;
            }
            bool ok = hook ? hook(code) : true;
            if (!ok) {
                port.SetCancel();
            }
            break;
        }
        case TN_FINISHED: {
            if (target == DialogTarget()) {
                port.SetNotificationTarget(MainTarget());  // the display closes
            }
            std::lock_guard lock(m_mutex);
            m_finished.push_back(static_cast<int>(value));
            if (holdFinished) {
                m_heldFinished = std::move(note);
            }
            m_cv.notify_all();
            break;
        }
        default:
            break;
    }
}

void TestHost::ShowMessage(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
}

bool TestHost::AskOkCancel(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
    return false;
}

void TestHost::AddToRecentFiles(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_recent.push_back(path);
}

std::string TestHost::DevicePathForPort(int commPort) {
    auto it = portMap.find(commPort);
    // Never a real port: an unmapped number leads nowhere.
    return it != portMap.end() ? it->second : "/nonexistent/ttyORV" + std::to_string(commPort);
}

int TestHost::WaitFinished(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return !m_finished.empty(); })) {
        return -1;
    }
    int id = m_finished.front();
    m_finished.erase(m_finished.begin());
    return id;
}

std::vector<int> TestHost::Codes() const {
    std::lock_guard lock(m_mutex);
    return m_codes;
}
long long TestHost::BytesAdded() const {
    std::lock_guard lock(m_mutex);
    return m_bytes;
}
std::vector<long> TestHost::Totals() const {
    std::lock_guard lock(m_mutex);
    return m_totals;
}
std::vector<std::string> TestHost::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}
std::vector<std::string> TestHost::RecentFiles() const {
    std::lock_guard lock(m_mutex);
    return m_recent;
}
std::vector<std::string> TestHost::PromptFileNames() const {
    std::lock_guard lock(m_mutex);
    return m_promptFiles;
}

PtyPeer::PtyPeer() {
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0 || ::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128];
    if (::ptsname_r(m_fd, name, sizeof name) != 0) {
        throw std::runtime_error("no pseudo-terminal name");
    }
    m_slavePath = name;
    struct termios t;
    if (::tcgetattr(m_fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(m_fd, TCSANOW, &t);
    }
}

PtyPeer::~PtyPeer() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void PtyPeer::Send(std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            throw std::runtime_error("write to the pseudo-terminal failed");
        }
        done += static_cast<size_t>(n);
    }
}

std::string PtyPeer::Read(size_t count, int timeoutMs) {
    std::string out;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        struct pollfd pfd = {m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, MsLeft(deadline)) <= 0) {
            break;
        }
        char buf[4096];
        ssize_t n = ::read(m_fd, buf, std::min(sizeof buf, count - out.size()));
        if (n <= 0) {
            break;
        }
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

std::string PtyPeer::ReadUntil(std::string_view suffix, int timeoutMs) {
    std::string out;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!(out.size() >= suffix.size() &&
             out.compare(out.size() - suffix.size(), suffix.size(), suffix) == 0)) {
        struct pollfd pfd = {m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, MsLeft(deadline)) <= 0) {
            break;
        }
        char c;
        if (::read(m_fd, &c, 1) != 1) {
            break;
        }
        out += c;
    }
    return out;
}

std::string PtyPeer::ReadQuiet(int quietMs) {
    std::string out;
    for (;;) {
        struct pollfd pfd = {m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, quietMs) <= 0) {
            return out;
        }
        char buf[4096];
        ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n <= 0) {
            return out;
        }
        out.append(buf, static_cast<size_t>(n));
    }
}

std::string DeviceRecord(char letter, const std::vector<int>& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s(1, letter);
    unsigned sum = 0;
    auto put = [&](unsigned v) {
        s += kDigits[(v >> 4) & 0xF];
        s += kDigits[v & 0xF];
    };
    for (int b : bytes) {
        put(static_cast<unsigned>(b) & 0xFF);
        sum += static_cast<unsigned>(b);
    }
    put((0xFF - (sum & 0xFF)) & 0xFF);
    return s + "\r\n";
}

std::string Hex(std::string_view bytes) {
    std::string out;
    char buf[8];
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "<%02X>", c);
            out += buf;
        }
    }
    return out;
}

}  // namespace orv::test
