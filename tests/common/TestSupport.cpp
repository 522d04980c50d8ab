#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace orv::test {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

bool SetModeAndOtherOwner(const std::string& path, mode_t mode) {
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    return ::chown(path.c_str(), 4321, 4322) == 0;
}

void ExpectModeAndOwner(const std::string& path, mode_t mode, bool ownerChanged) {
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0) << path;
    EXPECT_EQ(st.st_mode & 07777, mode) << path;
    if (ownerChanged) {
        EXPECT_EQ(st.st_uid, 4321u) << path;
        EXPECT_EQ(st.st_gid, 4322u) << path;
    }
}

bool MessageLog::Keep(const Outcome& outcome) {
    for (const UserMessage& message : outcome.Messages()) {
        m_messages.push_back(message.text);
    }
    return outcome.Ok();
}

CapturingReporter::CapturingReporter() {
    SetReporter(this);
}
CapturingReporter::~CapturingReporter() {
    SetReporter(nullptr);
}

void CapturingReporter::ShowMessage(const std::string& text, MessageIcon) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
}

std::vector<std::string> CapturingReporter::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

void CapturingReporter::Clear() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orv-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only files behind; make them removable first.
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::filesystem::path SourceDir() {
    const char* dir = std::getenv("ORV_SOURCE_DIR");
    return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

}  // namespace orv::test
