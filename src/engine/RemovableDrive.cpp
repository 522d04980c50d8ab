#include "engine/RemovableDrive.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <mutex>

#include "core/FileReplacement.h"

namespace orv {

namespace {

std::mutex g_removableMutex;
RemovableDriveTest g_removableTest;

bool SysfsRemovable(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        std::string folder = FolderOf(path);
        if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) {
            return false;
        }
    }
    std::string base = "/sys/dev/block/" + std::to_string(::major(st.st_dev)) + ":" +
                       std::to_string(::minor(st.st_dev));
    struct stat part;
    // A partition's "removable" attribute is its disk's.
    std::string attr = ::stat((base + "/partition").c_str(), &part) == 0 ? base + "/../removable"
                                                                         : base + "/removable";
    std::ifstream in(attr);
    int value = 0;
    return (in >> value) && value == 1;
}

}  // namespace

void SetRemovableDriveTest(RemovableDriveTest test) {
    std::lock_guard lock(g_removableMutex);
    g_removableTest = std::move(test);
}

bool IsOnRemovableDrive(const std::string& path) {
    RemovableDriveTest test;
    {
        std::lock_guard lock(g_removableMutex);
        test = g_removableTest;
    }
    return test ? test(path) : SysfsRemovable(path);
}

}  // namespace orv
