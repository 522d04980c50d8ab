// What the fuzz targets share: a reporter that lets refusals pass and stops at
// an internal error, a check that stops the run, and the input as a real file.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Reporter.h"
#include "core/StringTable.h"

namespace orv::fuzz {

class FuzzReporter : public Reporter {
public:
    void ShowMessage(const std::string& text, MessageIcon) override {
        if (text.compare(0, m_internal.size(), m_internal) == 0) {
            std::fprintf(stderr, "%s\n", text.c_str());
            std::abort();
        }
    }

    // Installs one reporter for the whole run.
    static void Install() {
        static FuzzReporter reporter;
        SetReporter(&reporter);
    }

private:
    std::string m_internal = LoadString(IDM_INTERNAL_ERROR).substr(0, 40);
};

inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// The input as a regular file in memory, opened by its path as any file is.
class InputFile {
public:
    InputFile(const uint8_t* data, size_t size) : m_fd(::memfd_create("fuzz-input", MFD_CLOEXEC)) {
        Require(m_fd >= 0, "a memory file can be made");
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(m_fd, data + done, size - done);
            Require(n > 0, "the input can be written");
            done += static_cast<size_t>(n);
        }
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    ~InputFile() { ::close(m_fd); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    int m_fd;
    std::string m_path;
};

}  // namespace orv::fuzz
