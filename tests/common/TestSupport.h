// Shared helpers for the tests: a reporter that records what the user would see,
// and temporary folders.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "core/Outcome.h"
#include "core/Reporter.h"

namespace orv::test {

// Keeps the messages of the outcomes handed to it, in the order the dialog or
// command would show them.
class MessageLog {
public:
    // True when the work succeeded.
    bool Keep(const Outcome& outcome);
    const std::vector<std::string>& Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }

private:
    std::vector<std::string> m_messages;
};

// Records every internal error instead of showing it. Installs itself for its
// lifetime.
class CapturingReporter : public Reporter {
public:
    CapturingReporter();
    ~CapturingReporter() override;

    void ShowMessage(const std::string& text, MessageIcon icon) override;

    std::vector<std::string> Messages() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// A file size limit for the process: writes past it fail as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

// Gives path these permission bits and, where the process may, the owner
// and group 4321 and 4322; true when the owner could be changed.
bool SetModeAndOtherOwner(const std::string& path, mode_t mode);
// Expects path (links followed) to have these permission bits, and owner
// 4321 and group 4322 when ownerChanged.
void ExpectModeAndOwner(const std::string& path, mode_t mode, bool ownerChanged);

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The source tree's root (for test data).
std::filesystem::path SourceDir();

}  // namespace orv::test
