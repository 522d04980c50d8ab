// The file behind a transfer. A save never writes the user's file in place:
// records go to a hidden temporary file in the same folder, which replaces the
// target only once it is complete, and an unfinished save is kept under the
// ==INCOMPLETE== name instead.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace orv {

// F[0..d) + suffix + F[d..) where d is the last '.' of the whole path (or its end).
std::string ContinuationName(const std::string& firstName, const std::string& suffix);
// MEM.ORV -> MEM==INCOMPLETE==.ORV, MEM -> ==INCOMPLETE==MEM; at most 256 characters.
std::string IncompleteFileName(std::string_view fileName);

// Every write of a save's data goes through this (pwrite's contract, errno
// set on failure). Replaceable so that tests can fill a disk at will; null
// restores pwrite.
using SaveWriter = std::function<ssize_t(int fd, const char* data, size_t count, off_t offset)>;
void SetSaveWriter(SaveWriter writer);

// A regular file of no bytes: a restore from it sends nothing but the end mark.
bool IsEmptyFile(const std::string& path);

class TransferFile {
public:
    TransferFile() = default;
    ~TransferFile();
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;

    // Save: starts a temporary file beside target (beside the file it links
    // to, for a link), with the permissions, owner and group of an existing
    // target. Raises FileError naming target.
    void CreateForSave(const std::string& target);
    // Restore: opens path, a regular file, for reading. Raises FileError.
    void OpenForRead(const std::string& path);

    bool IsOpen() const { return m_fd >= 0 || m_read != nullptr; }
    // A save whose data has not been moved onto its target yet.
    bool HasUnfinishedSave() const { return !m_tempPath.empty(); }
    long long Length() const { return m_length; }
    const std::string& Path() const { return m_path; }
    // The file a save replaces: Path() with its links followed.
    const std::string& RealPath() const { return m_realPath; }

    // Appends data and hands it to the kernel. On failure nothing of data
    // stays in the file, and FileError is raised.
    void Append(std::string_view data);
    // Ends the file with the continuation marker T. When a full disk leaves no
    // room even for that, the last record is taken out to make room and
    // returned, to be written to the next file first. Raises FileError.
    std::string MarkContinued();
    // Flushes to the disk and puts the file in place of its target. Raises FileError.
    void Commit();
    // Closes an unfinished save and moves it to the ==INCOMPLETE== name in the
    // target's folder, never replacing an existing file. Returns the new path;
    // empty when it could not be moved (the data then stays in TemporaryPath).
    std::string KeepIncomplete();
    const std::string& TemporaryPath() const { return m_tempPath; }

    // Reads the next line, at most maxChars characters (stopping after LF),
    // into buffer. Returns its length, 0 at the end of the file. Raises FileError.
    int ReadLine(char* buffer, int maxChars);
    int FirstByte();  // -1 when the file is empty
    // Whether count bytes can be read at offset without an error.
    bool ProbeRead(long offset, int count);
    void Rewind();

    // Closes a read file; an unfinished save is kept as by KeepIncomplete.
    void Close();

private:
    [[noreturn]] void Fail(int err);

    int m_fd = -1;
    std::FILE* m_read = nullptr;
    std::string m_path;      // what the user chose: the target or the file read
    std::string m_realPath;  // the file replaced: the target with its links followed
    std::string m_tempPath;  // the save's data until Commit
    long long m_length = 0;
    off_t m_end = 0;
    off_t m_lastStart = 0;
    std::string m_lastRecord;
};

}  // namespace orv
