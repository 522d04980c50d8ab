// The engine's state and the algorithms of its worker. Private to src/engine.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "core/Globals.h"
#include "engine/NotificationGate.h"
#include "engine/Record.h"
#include "engine/RecordLine.h"
#include "engine/Serial.h"
#include "engine/SerialLink.h"
#include "engine/TransferFile.h"

namespace orv {

constexpr int kInterByteGapMs = 500;
constexpr int kMaxTimeoutsPerRecord = 3;
constexpr int kMaxRefusalsPerRecord = 10;
constexpr int kMaxTextLine = 239;
constexpr int kInitialFileVersion = 300;
constexpr size_t kMaxFileErrorText = 256;
constexpr int kReceiveBufferSize = 4096;

struct CORVSerialPort::Impl : public ByteSource {
    Impl(EngineHost& h, SerialLinkFactory f) : host(h), makeLine(std::move(f)), line(makeLine()) {}

    // The serial line (Serial.cpp).
    bool ReadBytes(char* buffer, int count, bool raiseOnError);
    // Up to count bytes, as one read of the line would have given them: what
    // was received before first, then at least the rest from the line.
    SerialLink::ReadResult ReadChunk(char* dest, int count);
    int TakeReceived(char* dest, int count);
    // Throws away what has arrived, on the line and in the receive buffer.
    void PurgeInput();
    void WriteBytes(const char* buffer, int count, bool purgeInputFirst);
    void SendByte(char byte, bool purgeInputFirst) { WriteBytes(&byte, 1, purgeInputFirst); }
    bool NotifyAndWait(int code, long value, bool raiseIfCancelled);
    void ReadChars(char* dest, int count) override { ReadBytes(dest, count, true); }
    void WorkerMain();
    void RunTransfer();
    void CheckCancelled();  // raises 166 when cancel or stop is set
    // After a failed read or write: a hung-up line ends the transfer at once.
    void FailLine(SerialLink::Status status, bool raise);

    // Handshake and abort (Transfer.cpp).
    bool StartTransfer();
    void AbortTransfer(bool sendAbortByte, int messageId);
    void OpenTransferFile();
    // Opens the current file, asking again with notification askAgainCode
    // after each failure, until it opens or the user cancels.
    void OpenTransferFileAsking(int askAgainCode);
    // Gives a save's file its name; the first file of a save then enters the
    // recent files.
    void CommitSave();
    void CloseTransferFile();
    void NextContinuationName();
    void ResetToFirstFile();
    void KeepIncompleteSave();

    // Save (Save.cpp).
    void ReceiveMemory();
    void WriteRecordToFile();
    bool ContinueSaveOnNewDisk(std::string& moved);
    void EndSave();

    // Restore (Restore.cpp).
    void SendMemory();
    void ProbeFileFormat();
    bool NextRecordToSend(bool headerPending);
    void SendRecord();
    void ContinueRestoreFromNextDisk();
    void ReopenFirstFile();
    void EndRestore();

    std::string GetCurrentFileName() const {
        std::lock_guard lock(nameMutex);
        return currentFileName;
    }
    void SetCurrentFileName(const std::string& name) {
        std::lock_guard lock(nameMutex);
        currentFileName = name;
    }
    bool IsText() const { return format.load() == Text; }

    EngineHost& host;
    SerialLinkFactory makeLine;
    std::shared_ptr<NotificationGate> gate = std::make_shared<NotificationGate>();
    std::unique_ptr<SerialLink> line;
    int timeoutMs = kDefaultSerialTimeout;
    // What the line had beyond what the record asked for (worker thread only).
    char received[kReceiveBufferSize] = {};
    int receivedPos = 0;
    int receivedEnd = 0;

    // The settings the worker needs, copied when the port opens.
    int portNumber = 0;
    unsigned baudRate = 0;
    uint32_t modelId = 0;
    std::string devicePath;  // set directly; empty: the port map

    std::atomic<bool> portOpen{false};
    std::atomic<bool> transfer{false};
    std::atomic<bool> started{false};
    std::atomic<bool> armed{false};
    std::atomic<int> armedKind{Save};
    std::atomic<bool> cancel{false};
    std::atomic<bool> stop{false};
    std::atomic<NotifyTarget> target{nullptr};
    std::atomic<int> format{Undetermined};

    std::thread worker;
    std::mutex exitMutex;
    std::condition_variable exitCv;
    bool workerExited = false;

    TransferFile file;
    mutable std::mutex nameMutex;  // the strings the user interface reads
    std::string portName;
    std::string openedPath;
    std::string currentFileName;
    std::string firstFileName;
    std::string soundSourcePath;
    std::string fileErrorText;

    long long fileLength = 0;
    RecordBuffer record;
    RecordLine fileLine;                    // the line of a record file being sent
    LineFault lineFault = LineFault::None;  // why the record in the buffer may not be sent
    int addedLineEnd = 0;                   // characters of the record not from the file
    bool secondPass = false;
    bool removable = false;
    bool continuation = false;
    int continuationCounter = 2;
    std::string continuationSuffix = "2";
    int fileVersion = kInitialFileVersion;
    bool lineFailed = false;
    std::atomic<bool> hungUp{false};  // the line is gone for good
};

}  // namespace orv
