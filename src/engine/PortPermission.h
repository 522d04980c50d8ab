// What to tell a user whose account may not open a serial device: which
// group to join, if joining one would help at all.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orv {

// The device's owner, group and permission bits.
struct DeviceAccess {
    mode_t mode = 0;
    std::string ownerName;
    gid_t group = 0;
    std::string groupName;
};

// The account the program runs as.
struct AccountGroups {
    std::string name;
    std::vector<gid_t> session;   // the groups this process has
    std::vector<gid_t> memberOf;  // the groups the account belongs to now
};

// The explanation beneath "Unable to open the ... serial port." A group is
// named only when its members may read and write the device, and never the
// terminals' group tty (whose members may write to other users' terminals)
// or the superuser's group.
std::string PermissionAdvice(const std::string& path, const DeviceAccess& device,
                             const AccountGroups& account);
// The same, with the device and the account as the system reports them.
std::string PermissionAdvice(const std::string& path);

}  // namespace orv
