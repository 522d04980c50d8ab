// orv-bench: a restore and a save of a 30,000-record memory through the engine
// alone, served as orv-cli serves it, with a simulated device on a
// pseudo-terminal that answers at once and times each exchange.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "engine/Serial.h"
#include "tools/bench/TimingDevice.h"
#include "tools/bench/Workload.h"

namespace {

constexpr auto kLimit = std::chrono::minutes(5);

// Notifications queue up for the main thread, woken through a pipe, which
// releases the worker after each one: orv-cli's way, without its output.
class QueueHost : public orv::EngineHost {
public:
    QueueHost() {
        if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            m_pipe[0] = m_pipe[1] = -1;
        }
    }
    ~QueueHost() override {
        ::close(m_pipe[0]);
        ::close(m_pipe[1]);
    }
    void PostNotification(orv::NotifyTarget, orv::Notification note) override {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(note));
        }
        char b = 1;
        [[maybe_unused]] ssize_t n = ::write(m_pipe[1], &b, 1);
    }
    orv::NotifyTarget MainWindowTarget() override { return &m_main; }
    bool IsMainWindowForeground() override { return true; }
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool AskOkCancel(const std::string&) override { return false; }
    void AddToRecentFiles(const std::string&) override {}
    std::string DevicePathForPort(int) override { return {}; }
    void LinkLost() override {}

    // Serves one transfer; its outcome, or 0 when nothing came for a minute.
    int Serve(orv::CORVSerialPort& port) {
        long long bytes = 0;
        for (;;) {
            pollfd fd{m_pipe[0], POLLIN, 0};
            if (::poll(&fd, 1, 60000) == 0) {
                return 0;
            }
            char sink[64];
            while (::read(m_pipe[0], sink, sizeof sink) > 0) {
            }
            for (;;) {
                orv::Notification note;
                {
                    std::lock_guard lock(m_mutex);
                    if (m_queue.empty()) {
                        break;
                    }
                    note = std::move(m_queue.front());
                    m_queue.pop_front();
                }
                switch (note.Code()) {
                    case orv::TN_SAVE_REQUEST:
                    case orv::TN_RESTORE_REQUEST:
                        port.SetNotificationTarget(&m_progress);
                        break;
                    case orv::TN_ADD_BYTES:
                        bytes += note.Value() & 0xFFFF;
                        break;
                    case orv::TN_FINISHED:
                        port.SetNotificationTarget(&m_main);
                        note.Release();
                        return static_cast<int>(note.Value() & 0xFFFF);
                    default:
                        break;
                }
                note.Release();
            }
        }
    }

private:
    int m_pipe[2];
    std::mutex m_mutex;
    std::deque<orv::Notification> m_queue;
    int m_main = 0;
    int m_progress = 0;
};

}  // namespace

int main(int argc, char** argv) {
    using namespace orv::bench;
    std::size_t records = RecordsFromArguments(argc, argv);
    if (records == 0) {
        std::fprintf(stderr, "usage: orv-bench [--records N]\n");
        return 2;
    }
    orv::LoadModelNames();
    orv::g_Globals.SelectModel(orv::ModelIndexOf(kBenchModel));
    orv::g_Globals.BaudIndex = kBenchBaudIndex;
    Workload work(records);
    TimingDevice device(kBenchModel);
    QueueHost host;
    orv::CORVSerialPort port(host);
    port.SetDevicePath(device.PortPath());
    if (!port.OpenPort()) {
        return 1;
    }

    port.ArmTransfer(work.RestoreFile(), orv::Restore);
    Timings restore;
    std::thread restoring([&] { restore = device.Restore(kLimit); });
    int restored = host.Serve(port);
    restoring.join();
    if (restored != 156 || restore.records != records) {
        restore.completed = false;
        restore.detail += " (outcome " + std::to_string(restored) + ")";
    }
    Print("restore", "engine", restore);

    port.ArmTransfer(work.SaveFile(), orv::Save);
    Timings save;
    std::thread saving([&] { save = device.Save(work.Memory(), kLimit); });
    int saved = host.Serve(port);
    saving.join();
    if (saved != 156 || !work.SavedAsSent()) {
        save.completed = false;
        save.detail += " (outcome " + std::to_string(saved) +
                       ", file as sent: " + (work.SavedAsSent() ? "yes" : "no") + ")";
    }
    Print("save", "engine", save);
    port.ClosePort();
    return restore.completed && save.completed ? 0 : 1;
}
