#include "core/FileReplacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "core/Errors.h"
#include "core/RegularFile.h"

namespace orv {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit for a path
constexpr size_t kMaxNameLength = 255;
constexpr std::string_view kPartialMark = ".orv-partial-";
constexpr size_t kMaxHostTag = 32;

// This computer's name as it may stand in a file name: a folder on a shared
// disk may hold the partial files of other computers, whose processes this
// one cannot see.
const std::string& HostTag() {
    static const std::string tag = [] {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
            return std::string("host");
        }
        std::string t;
        for (const char* p = name; *p && t.size() < kMaxHostTag; ++p) {
            bool plain =
                (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9');
            t += plain ? *p : '_';
        }
        return t;
    }();
    return tag;
}

// "<host>-<pid>-": whose file it is, so that a later save can tell a partial
// file left by a process that was killed from one still being written.
std::string OwnerTag() {
    return HostTag() + "-" + std::to_string(::getpid()) + "-";
}

// The process that wrote a partial file named name, when it is one of this
// computer's; 0 otherwise.
pid_t PartialFileOwner(std::string_view name) {
    size_t mark = name.find(kPartialMark);
    if (name.empty() || name[0] != '.' || mark == std::string_view::npos) {
        return 0;
    }
    std::string_view rest = name.substr(mark + kPartialMark.size());
    size_t lastDash = rest.rfind('-');
    if (lastDash == std::string_view::npos || lastDash == 0) {
        return 0;
    }
    size_t pidDash = rest.rfind('-', lastDash - 1);
    if (pidDash == std::string_view::npos || rest.substr(0, pidDash) != HostTag()) {
        return 0;
    }
    std::string_view digits = rest.substr(pidDash + 1, lastDash - pidDash - 1);
    if (digits.empty() || digits.size() > 9) {
        return 0;
    }
    pid_t pid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

}  // namespace

void RemoveStalePartialFiles(const std::string& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        pid_t owner = PartialFileOwner(path.filename().string());
        if (owner <= 0 || owner == ::getpid()) {
            continue;
        }
        // Only a process that no longer exists; one of another user's counts as alive.
        if (::kill(owner, 0) == 0 || errno != ESRCH) {
            continue;
        }
        std::error_code statError;
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, statError))) {
            std::filesystem::remove(path, statError);
        }
    }
}

namespace {

std::string RandomSuffix() {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kChars) - 2);
    std::string s;
    for (int i = 0; i < 6; ++i) {
        s += kChars[pick(gen)];
    }
    return s;
}

void KeepIdentity(int fd, const struct stat& earlier) {
    // A file the process may not give away stays its own; the group alone
    // may still be kept.
    if (::fchown(fd, earlier.st_uid, earlier.st_gid) != 0) {
        [[maybe_unused]] int ignored = ::fchown(fd, static_cast<uid_t>(-1), earlier.st_gid);
    }
    // After the owner, whose change may clear bits. Should this fail, the
    // file was created with no more permissions than the earlier one.
    [[maybe_unused]] int ignored = ::fchmod(fd, earlier.st_mode & 0777);
}

}  // namespace

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;  // the file itself, or a name still to be created
        }
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
        ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0) {
            return current;
        }
        target.resize(static_cast<size_t>(n));
        if (target.front() == '/') {
            current = target;
        } else {
            current = FolderOf(current);
            current += target;
        }
    }
    throw FileError::FromErrno(ELOOP, path);
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int CreateTemporaryBeside(const std::string& target, const std::string& userPath,
                          std::string& tempPath) {
    struct stat earlier {};
    bool exists = ::stat(target.c_str(), &earlier) == 0;
    if (!exists && errno != ENOENT) {
        throw FileError::FromErrno(errno, userPath);
    }
    // The target is replaced only at the end; refuse now what writing to it
    // would have refused.
    if (exists) {
        RequireRegularFile(earlier.st_mode, userPath);
        if (::access(target.c_str(), W_OK) != 0) {
            throw FileError::FromErrno(errno, userPath);
        }
    }
    // A new file gets what the umask leaves of 0666; a replacement is never
    // more open than the file it replaces, not even while it is written.
    mode_t mode = exists ? (earlier.st_mode & 0777) : 0666;
    std::string folder = FolderOf(target);
    std::string name = target.substr(folder.size());
    // What a killed process left here goes now; none outlives the next save.
    RemoveStalePartialFiles(folder);
    const std::string owner = OwnerTag();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string hidden = ".";
        hidden += name;
        hidden += kPartialMark;
        hidden += owner;
        hidden += RandomSuffix();
        if (hidden.size() > kMaxNameLength) {
            hidden = std::string(kPartialMark) + owner + RandomSuffix();
        }
        std::string temp = folder + hidden;
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0) {
            if (exists) {
                KeepIdentity(fd, earlier);
            }
            tempPath = temp;
            return fd;
        }
        if (errno != EEXIST) {
            throw FileError::FromErrno(errno, userPath);
        }
    }
    throw FileError::FromErrno(EEXIST, userPath);
}

int SyncFolder(const std::string& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int err = 0;
    // Some filesystems cannot sync a folder; that is not a lost write.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        err = errno;
    }
    ::close(fd);
    return err;
}

int PutInPlace(int& fd, std::string& tempPath, const std::string& target) {
    if (fd >= 0) {
        // A late write error (full disk, network filesystem) shows only here.
        int err = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
        int closing = fd;
        fd = -1;
        if (::close(closing) != 0 && errno != EINTR && err == 0) {
            err = errno;
        }
        if (err != 0) {
            return err;
        }
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        return errno;
    }
    tempPath.clear();
    return SyncFolder(FolderOf(target));
}

FileReplacement::FileReplacement(const std::string& path)
    : m_path(path), m_target(FollowLinks(path)) {
    m_fd = CreateTemporaryBeside(m_target, m_path, m_tempPath);
}

FileReplacement::~FileReplacement() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
    }
}

void FileReplacement::Fail(int err) {
    throw FileError::FromErrno(err, m_path);
}

void FileReplacement::Write(std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(m_fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
}

void FileReplacement::Commit() {
    if (int err = PutInPlace(m_fd, m_tempPath, m_target)) {
        Fail(err);
    }
}

void ReplaceFileContents(const std::string& path, std::string_view data) {
    FileReplacement file(path);
    file.Write(data);
    file.Commit();
}

}  // namespace orv
