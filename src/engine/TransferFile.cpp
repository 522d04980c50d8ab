#include "engine/TransferFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "core/Errors.h"
#include "core/FileReplacement.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"

namespace orv {

namespace {

constexpr size_t kMaxIncompleteName = 256;

std::mutex g_writerMutex;
SaveWriter g_saveWriter;

ssize_t WriteAt(int fd, const char* data, size_t count, off_t offset) {
    SaveWriter writer;
    {
        std::lock_guard lock(g_writerMutex);
        writer = g_saveWriter;
    }
    return writer ? writer(fd, data, count, offset) : ::pwrite(fd, data, count, offset);
}

// Renames from onto to unless to exists. ENOTSUP-style refusals of the
// no-replace flag fall back to a check followed by a plain rename.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP) {
        return err;
    }
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        return EEXIST;
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

void SetSaveWriter(SaveWriter writer) {
    std::lock_guard lock(g_writerMutex);
    g_saveWriter = std::move(writer);
}

std::string ContinuationName(const std::string& firstName, const std::string& suffix) {
    size_t dot = firstName.rfind('.');
    if (dot == std::string::npos) {
        dot = firstName.size();
    }
    return firstName.substr(0, dot) + suffix + firstName.substr(dot);
}

std::string IncompleteFileName(std::string_view fileName) {
    size_t dot = fileName.rfind('.');
    std::string_view stem =
        dot == std::string_view::npos ? std::string_view() : fileName.substr(0, dot);
    std::string_view rest = dot == std::string_view::npos ? fileName : fileName.substr(dot);
    std::string name = FormatString(IDM_INCOMPLETE_NAME, stem) + std::string(rest);
    if (name.size() > kMaxIncompleteName) {
        name.resize(kMaxIncompleteName);
    }
    return name;
}

bool IsEmptyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

TransferFile::~TransferFile() {
    Close();
}

void TransferFile::Fail(int err) {
    throw FileError::FromErrno(err, m_path);
}

void TransferFile::CreateForSave(const std::string& target) {
    Close();
    m_path = target;
    // Through a link the file it points to is saved; the link stays.
    m_realPath = FollowLinks(target);
    std::string temp;
    m_fd = CreateTemporaryBeside(m_realPath, target, temp);
    m_tempPath = temp;
    m_length = 0;
    m_end = 0;
    m_lastStart = 0;
    m_lastRecord.clear();
}

void TransferFile::OpenForRead(const std::string& path) {
    Close();
    m_path = path;
    m_realPath = path;
    int fd = OpenRegularFile(path, O_RDONLY);
    struct stat st {};
    std::FILE* f = ::fstat(fd, &st) == 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!f) {
        int err = errno;
        ::close(fd);
        Fail(err);
    }
    m_read = f;
    m_length = static_cast<long long>(st.st_size);
}

void TransferFile::Append(std::string_view data) {
    if (!ORV_CHECK(m_fd >= 0)) {
        Fail(EBADF);
    }
    off_t start = m_end;
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n =
            WriteAt(m_fd, data.data() + done, data.size() - done, start + static_cast<off_t>(done));
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        int err = n < 0 ? errno : ENOSPC;
        // No half record stays behind: the file ends with whole lines.
        [[maybe_unused]] int ignored = ::ftruncate(m_fd, start);
        Fail(err);
    }
    if (!data.empty()) {
        m_lastStart = start;
        m_lastRecord.assign(data);
        m_end = start + static_cast<off_t>(data.size());
    }
}

std::string TransferFile::MarkContinued() {
    if (!ORV_CHECK(m_fd >= 0)) {
        Fail(EBADF);
    }
    if (WriteAt(m_fd, "T", 1, m_end) == 1) {
        ++m_end;
        return {};
    }
    int err = errno;
    if (CauseFromErrno(err) != FileErrorCause::DiskFull || m_lastRecord.empty()) {
        Fail(err);
    }
    if (::ftruncate(m_fd, m_lastStart) != 0 || WriteAt(m_fd, "T", 1, m_lastStart) != 1) {
        Fail(err);
    }
    m_end = m_lastStart + 1;
    std::string moved;
    moved.swap(m_lastRecord);
    return moved;
}

void TransferFile::Commit() {
    if (!ORV_CHECK(!m_tempPath.empty())) {
        return;
    }
    if (int err = PutInPlace(m_fd, m_tempPath, m_realPath)) {
        Fail(err);
    }
}

std::string TransferFile::KeepIncomplete() {
    if (m_tempPath.empty()) {
        return {};
    }
    if (m_fd >= 0) {
        ::fsync(m_fd);
        ::close(m_fd);
        m_fd = -1;
    }
    std::string folder = FolderOf(m_realPath);
    std::string base = IncompleteFileName(FileNamePart(m_realPath));
    size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot < base.find("==INCOMPLETE==")) {
        dot = base.size();
    }
    for (int number = 1; number < 1000; ++number) {
        std::string name =
            number == 1 ? base : base.substr(0, dot) + std::to_string(number) + base.substr(dot);
        std::string candidate = folder + name;
        int err = RenameNoReplace(m_tempPath, candidate);
        if (err == 0) {
            m_tempPath.clear();
            SyncFolder(folder);
            return candidate;
        }
        if (err != EEXIST) {
            break;
        }
    }
    return {};
}

int TransferFile::ReadLine(char* buffer, int maxChars) {
    if (!ORV_CHECK(m_read != nullptr)) {
        return 0;
    }
    int n = 0;
    while (n < maxChars) {
        // Only the worker reads this file: no lock is needed for each character.
        int c = getc_unlocked(m_read);  // NOLINT(concurrency-mt-unsafe)
        if (c == EOF) {
            break;
        }
        buffer[n++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    if (std::ferror(m_read)) {
        Fail(errno ? errno : EIO);
    }
    return n;
}

int TransferFile::FirstByte() {
    if (!m_read) {
        return -1;
    }
    std::rewind(m_read);
    return std::fgetc(m_read);
}

bool TransferFile::ProbeRead(long offset, int count) {
    if (!m_read || std::fseek(m_read, offset, SEEK_SET) != 0) {
        return false;
    }
    char buf[16];
    [[maybe_unused]] size_t got =
        std::fread(buf, 1, static_cast<size_t>(std::min(count, 16)), m_read);
    bool ok = !std::ferror(m_read);
    std::clearerr(m_read);
    return ok;
}

void TransferFile::Rewind() {
    if (m_read) {
        std::rewind(m_read);
    }
}

void TransferFile::Close() {
    if (m_read) {
        std::fclose(m_read);
        m_read = nullptr;
    }
    if (!m_tempPath.empty()) {
        KeepIncomplete();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace orv
