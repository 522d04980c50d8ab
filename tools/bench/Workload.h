// What both benchmarks move: a sample memory as a file to restore, and the
// file a save writes, in a folder of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "devsim/DeviceRecords.h"

namespace orv::bench {

constexpr uint32_t kBenchModel = 32776;  // Mirelda
constexpr std::size_t kDefaultRecords = 30000;
constexpr unsigned kBenchBaudIndex = 10;  // 115200

class Workload {
public:
    explicit Workload(std::size_t records);
    ~Workload();  // removes the folder
    Workload(const Workload&) = delete;
    Workload& operator=(const Workload&) = delete;

    const devsim::MemoryImage& Memory() const { return m_memory; }
    std::string RestoreFile() const { return (m_dir / "MEM.ORV").string(); }
    std::string SaveFile() const { return (m_dir / "SAVED.ORV").string(); }
    // Whether the save wrote exactly the memory the device sent.
    bool SavedAsSent() const;

private:
    std::filesystem::path m_dir;
    devsim::MemoryImage m_memory;
};

// The record count from "--records N" (the default otherwise); 0 on a bad argument.
std::size_t RecordsFromArguments(int argc, char** argv);

}  // namespace orv::bench
