// Files read only when they are files; files written through a replacement
// that keeps the earlier file's identity.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "core/Errors.h"
#include "core/FileReplacement.h"
#include "core/RegularFile.h"
#include "tests/common/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

std::string Refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& e) {
        return e.Message();
    }
    return "no refusal";
}

size_t Entries(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(RegularFiles, AnythingElseIsRefusedAtOnceAsWhatItIs) {
    test::TempDir dir;
    const std::string fifo = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = (dir / "sock").string();
    int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string folder = dir.Path().string();

    // A pipe without a writer would block the open for ever.
    const std::pair<std::string, std::string> cases[] = {
        {fifo, fifo + " is a named pipe, not a file."},
        {socketPath, socketPath + " is a socket, not a file."},
        {folder, folder + " is a folder, not a file."},
        {"/dev/null", "/dev/null is a device, not a file."},
        {folder + "/none", folder + "/none was not found."},
    };
    for (const auto& [path, text] : cases) {
        EXPECT_EQ(Refusal([&] { ::close(OpenRegularFile(path, O_RDONLY)); }), text);
        // Nor is one written to, or replaced by a file.
        if (path != folder + "/none") {
            EXPECT_EQ(Refusal([&] { ReplaceFileContents(path, "data"); }), text);
        }
    }
    ::close(s);
    EXPECT_EQ(Entries(dir.Path()), 2u);  // no temporary file left behind

    test::WriteFileBytes(dir / "file", "bytes");
    EXPECT_EQ(ReadRegularFile((dir / "file").string()), "bytes");
}

TEST(FileReplacement, KeepsPermissionsOwnerAndLinkAndFailsWithoutATrace) {
    test::TempDir dir;
    fs::create_directory(dir / "real");
    const std::string real = (dir / "real" / "keys.orv").string();
    test::WriteFileBytes(real, "earlier");
    const bool ownerChanged = test::SetModeAndOtherOwner(real, 0640);
    fs::create_symlink("real/keys.orv", dir / "keys.orv");
    const std::string link = (dir / "keys.orv").string();

    ReplaceFileContents(link, "new version");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::ReadFileBytes(real), "new version");
    test::ExpectModeAndOwner(real, 0640, ownerChanged);

    // A write that fails part way leaves the earlier version and nothing else.
    {
        test::FileSizeLimit full(4);
        EXPECT_EQ(Refusal([&] { ReplaceFileContents(link, "a much longer version"); }),
                  link + " could not be written because the disk is full.");
    }
    EXPECT_EQ(test::ReadFileBytes(real), "new version");
    EXPECT_EQ(Entries(dir / "real"), 1u);

    // A read-only disk says so, where the system lets us mount one.
    fs::create_directory(dir / "ro");
    if (::mount("tmpfs", (dir / "ro").c_str(), "tmpfs", MS_RDONLY, "size=16k") == 0) {
        const std::string onDisk = (dir / "ro" / "x.orv").string();
        std::string text = Refusal([&] { ReplaceFileContents(onDisk, "data"); });
        ::umount2((dir / "ro").c_str(), MNT_DETACH);
        EXPECT_EQ(text, onDisk + " could not be written because its disk is read-only.");
    }
}

}  // namespace
}  // namespace orv
