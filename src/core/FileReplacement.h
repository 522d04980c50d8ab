// Files the program writes are never changed in place: the new version goes
// into a hidden temporary file beside the file and takes its place only once
// it is complete, so a failure leaves the earlier file (or nothing). The new
// version keeps the earlier one's permission bits (and its owner and group
// where the process may set them), and a symbolic link stays a link: the file
// it points to is the one replaced.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The file a write to path replaces: symbolic links followed, a dangling one
// to the name it points to. Raises FileError naming path for a loop.
std::string FollowLinks(const std::string& path);

// The folder part of path, with its final '/'; empty for a bare name.
std::string FolderOf(const std::string& path);

// Creates a new hidden temporary file beside target (links already followed)
// for writing, with target's permission bits, owner and group when target
// exists. An existing target must be a regular file the process may write.
// Returns the descriptor and sets tempPath. Raises FileError naming userPath.
int CreateTemporaryBeside(const std::string& target, const std::string& userPath,
                          std::string& tempPath);

// Removes the hidden temporary files in folder that processes of this
// computer left behind when they were killed (a process still running keeps
// its own). Done by CreateTemporaryBeside.
void RemoveStalePartialFiles(const std::string& folder);

// Makes the folder's entries durable; 0 or the errno value of the failure.
int SyncFolder(const std::string& folder);

// Flushes fd to the disk and closes it (fd becomes -1), renames tempPath onto
// target (tempPath becomes empty) and makes that durable. 0 or the errno
// value of the first failure.
int PutInPlace(int& fd, std::string& tempPath, const std::string& target);

// One new version of a file, written in pieces and put in place by Commit.
class FileReplacement {
public:
    // Raises FileError naming path, as CreateTemporaryBeside.
    explicit FileReplacement(const std::string& path);
    // An uncommitted version is removed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Raises FileError naming the path given.
    void Write(std::string_view data);
    // Flushes the data to the disk, puts the file in place and makes the
    // change durable. Raises FileError naming the path given.
    void Commit();

private:
    [[noreturn]] void Fail(int err);

    std::string m_path;    // as given, for messages
    std::string m_target;  // links followed
    std::string m_tempPath;
    int m_fd = -1;
};

// The whole of data as the new content of path. Raises FileError.
void ReplaceFileContents(const std::string& path, std::string_view data);

}  // namespace orv
