// A host that answers the engine's notifications the way the desktop program
// does (on its own thread), and the device end of a pseudo-terminal.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/EngineHost.h"
#include "engine/Serial.h"

namespace orv::test {

class TestHost : public EngineHost {
public:
    TestHost();
    ~TestHost() override;

    void Attach(CORVSerialPort* port) { m_port = port; }
    // Handles what is still queued and ends the host's thread; call before the
    // attached engine goes away.
    void Stop();

    void PostNotification(NotifyTarget target, Notification note) override;
    NotifyTarget MainWindowTarget() override { return MainTarget(); }
    bool IsMainWindowForeground() override { return foreground; }
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void AddToRecentFiles(const std::string& path) override;
    std::string DevicePathForPort(int commPort) override;
    void LinkLost() override;

    static NotifyTarget MainTarget();
    static NotifyTarget DialogTarget();

    // Scripting, set before the transfer.
    std::atomic<bool> foreground{true};
    // A request that finds the engine not armed for its kind arms this file
    // (as the file chooser would); empty: the choice is cancelled.
    void SetFileForRequest(std::string path);
    // Disk prompts (TN_DISK_FULL ... TN_REINSERT_FIRST): return false for Cancel.
    void SetOnPrompt(std::function<bool(int code)> onPrompt);
    // Called for each TN_ADD_BYTES before the engine is released.
    void SetOnAddBytes(std::function<void()> onAddBytes);
    // TN_FINISHED is held (the progress display stays open) until ReleaseFinished.
    std::atomic<bool> holdFinished{false};
    void ReleaseFinished();
    std::map<int, std::string> portMap;

    // Waits for TN_FINISHED; its message ID, or -1 after timeoutMs.
    int WaitFinished(int timeoutMs = 20000);
    std::vector<int> Codes() const;
    long long BytesAdded() const;
    std::vector<long> Totals() const;
    std::vector<std::string> Messages() const;
    std::vector<std::string> RecentFiles() const;
    std::vector<std::string> PromptFileNames() const;  // current file at each prompt
    // Waits for LinkLost; false after timeoutMs.
    bool WaitLinkLost(int timeoutMs = 5000);

private:
    void Run();
    void Handle(NotifyTarget target, Notification note);

    CORVSerialPort* m_port = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    struct Note {
        NotifyTarget target;
        Notification note;
    };
    std::deque<Note> m_queue;
    bool m_quit = false;
    bool m_linkLost = false;
    // The scripting, set by the test's thread and used on the host's.
    std::string m_fileForRequest;
    std::function<bool(int code)> m_onPrompt;
    std::function<void()> m_onAddBytes;
    Notification m_heldFinished;
    std::vector<int> m_codes;
    std::vector<int> m_finished;
    long long m_bytes = 0;
    std::vector<long> m_totals;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_recent;
    std::vector<std::string> m_promptFiles;
    std::thread m_thread;
};

// The master side of a pseudo-terminal: what a device would see.
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    int Fd() const { return m_fd; }

    void Send(std::string_view bytes);
    // Reads until count bytes arrived or timeoutMs passed.
    std::string Read(size_t count, int timeoutMs = 5000);
    // Reads until the data ends with suffix or timeoutMs passed.
    std::string ReadUntil(std::string_view suffix, int timeoutMs = 5000);
    // Reads whatever arrives until the line has been quiet for quietMs.
    std::string ReadQuiet(int quietMs);

private:
    int m_fd = -1;
    std::string m_slavePath;
};

// "letter + hex bytes + checksum + CR LF" for the given decoded bytes.
std::string DeviceRecord(char letter, const std::vector<int>& bytes);
std::string Hex(std::string_view bytes);  // printable form for failure messages

}  // namespace orv::test
