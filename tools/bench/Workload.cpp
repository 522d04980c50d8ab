#include "tools/bench/Workload.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "devsim/SampleMemory.h"

namespace orv::bench {

namespace {

std::string Joined(const devsim::MemoryImage& memory) {
    std::string bytes;
    for (const std::string& record : memory) {
        bytes += record;
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace

Workload::Workload(std::size_t records)
    : m_dir(std::filesystem::temp_directory_path() / ("orv-bench-" + std::to_string(::getpid()))),
      m_memory(devsim::MakeSampleMemory(kBenchModel, records)) {
    std::filesystem::create_directories(m_dir);
    std::ofstream(RestoreFile(), std::ios::binary) << Joined(m_memory);
}

Workload::~Workload() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

bool Workload::SavedAsSent() const {
    std::ifstream in(SaveFile(), std::ios::binary);
    std::stringstream saved;
    saved << in.rdbuf();
    return saved.str() == Joined(m_memory);
}

std::size_t RecordsFromArguments(int argc, char** argv) {
    std::size_t records = kDefaultRecords;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--records") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 2 || n > 1000000) {
                return 0;
            }
            records = static_cast<std::size_t>(n);
        } else {
            return 0;
        }
    }
    return records;
}

}  // namespace orv::bench
