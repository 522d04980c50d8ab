// orv-bench: restores a 30,000-record memory over a pseudo-terminal to a
// simulated device that acknowledges at once, and prints the rate and the
// engine's own time per record.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "devsim/SimulatedDevice.h"
#include "engine/Serial.h"

namespace {

constexpr size_t kRecords = 30000;

std::vector<long long> g_samples;
std::atomic<size_t> g_sampleCount{0};

void Record(long long ns) {
    size_t i = g_sampleCount.fetch_add(1, std::memory_order_relaxed);
    if (i < g_samples.size()) {
        g_samples[i] = ns;
    }
}

// Answers notifications on its own thread, as the desktop program's window does.
class BenchHost : public orv::EngineHost {
public:
    BenchHost() : m_thread([this] { Run(); }) {}
    ~BenchHost() override {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    void Attach(orv::CORVSerialPort* port) { m_port = port; }
    void PostNotification(orv::NotifyTarget, orv::Notification note) override {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(note));
        }
        m_cv.notify_all();
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

    int WaitFinished() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_outcome != 0; });
        return m_outcome;
    }

private:
    void Run() {
        for (;;) {
            orv::Notification n;
            {
                std::unique_lock lock(m_mutex);
                m_cv.wait(lock, [&] { return m_quit || !m_queue.empty(); });
                if (m_queue.empty()) {
                    return;
                }
                n = std::move(m_queue.front());
                m_queue.pop_front();
            }
            if (n.Code() == orv::TN_RESTORE_REQUEST) {
                m_port->SetNotificationTarget(&m_dialog);
            } else if (n.Code() == orv::TN_FINISHED) {
                m_port->SetNotificationTarget(&m_main);
                std::lock_guard lock(m_mutex);
                m_outcome = static_cast<int>(n.Value());
                m_cv.notify_all();
            }
            n.Release();
        }
    }

    orv::CORVSerialPort* m_port = nullptr;
    int m_main = 0;
    int m_dialog = 0;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<orv::Notification> m_queue;
    bool m_quit = false;
    int m_outcome = 0;
    std::thread m_thread;
};

}  // namespace

int main() {
    orv::LoadModelNames();
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("orv-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path file = dir / "MEM.ORV";
    {
        std::ofstream out(file, std::ios::binary);
        for (const std::string& r : orv::devsim::MakeSampleMemory(orv::kModelMirelda, kRecords)) {
            out << r << "\r\n";
        }
    }
    long long fileBytes = static_cast<long long>(fs::file_size(file));

    orv::g_Globals.SelectModel(orv::ModelIndexOf(orv::kModelMirelda));
    orv::g_Globals.BaudIndex = 10;  // 115200
    orv::devsim::SimulatedDevice device(orv::kModelMirelda);
    BenchHost host;
    orv::CORVSerialPort port(host);
    host.Attach(&port);
    port.SetDevicePath(device.PortPath());
    if (!port.OpenPort()) {
        return 1;
    }
    g_samples.assign(kRecords, 0);
    orv::SetTurnaroundProbe(Record);
    port.ArmTransfer(file.string(), orv::Restore);

    orv::devsim::Script script;
    script.letter = 'L';
    script.repeatRequestMs = 300;
    auto start = std::chrono::steady_clock::now();
    orv::devsim::Outcome outcome = device.Run(script, std::chrono::minutes(5));
    int result = host.WaitFinished();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    orv::SetTurnaroundProbe(nullptr);
    port.ClosePort();
    fs::remove_all(dir);

    size_t n = std::min(g_sampleCount.load(), g_samples.size());
    std::vector<long long> samples(g_samples.begin(), g_samples.begin() + static_cast<long>(n));
    std::sort(samples.begin(), samples.end());
    auto pct = [&](double p) {
        return samples.empty() ? 0.0
                               : static_cast<double>(samples[static_cast<size_t>(
                                     p * static_cast<double>(samples.size() - 1))]) /
                                     1000.0;
    };
    std::printf("device: %s\n", orv::devsim::Summary(outcome).c_str());
    std::printf("records: %zu (%lld bytes) in %.2f s: %.0f records/s, %.0f kB/s\n",
                outcome.counters.recordsReceived, fileBytes, seconds,
                static_cast<double>(outcome.counters.recordsReceived) / seconds,
                static_cast<double>(fileBytes) / 1024.0 / seconds);
    std::printf("engine turnaround per record (ACK read to next record written), %zu samples:\n",
                n);
    std::printf("  median %.1f us, 90%% %.1f us, 99%% %.1f us, max %.1f us\n", pct(0.5), pct(0.9),
                pct(0.99), pct(1.0));
    double lineUs = 0;
    if (!samples.empty()) {
        // 10 bits per character at 115200 baud, for the average record and its ACK.
        double chars = static_cast<double>(fileBytes) / static_cast<double>(kRecords) + 1;
        lineUs = chars * 10.0 / 115200.0 * 1e6;
        std::printf("  = %.2f %% of the line time of an average record at 115200 baud (%.0f us)\n",
                    pct(0.5) / lineUs * 100.0, lineUs);
    }
    return result == 156 && outcome.kind == orv::devsim::OutcomeKind::Completed ? 0 : 1;
}
