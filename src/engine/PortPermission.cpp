#include "engine/PortPermission.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "core/StringTable.h"

namespace orv {
namespace {

bool Contains(const std::vector<gid_t>& groups, gid_t group) {
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return found->gr_name;
    }
    return std::to_string(gid);
}

// The account's name and primary group; the user ID as text when the
// account is not in the user database.
std::string AccountName(uid_t uid, gid_t& primaryGroup) {
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    primaryGroup = ::getegid();
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        primaryGroup = found->pw_gid;
        return found->pw_name;
    }
    return std::to_string(uid);
}

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

}  // namespace

std::string PermissionAdvice(const std::string& path, const DeviceAccess& device,
                             const AccountGroups& account) {
    std::string advice = FormatString(IDM_PORT_NO_PERMISSION_FOR, account.name, path) + "\n\n";
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    bool groupHelps = (device.mode & kGroupReadWrite) == kGroupReadWrite && device.group != 0 &&
                      device.groupName != "tty";
    if (!groupHelps) {
        return advice +
               FormatString(IDM_PORT_NO_GROUP_HELPS, device.ownerName, ModeText(device.mode));
    }
    if (Contains(account.memberOf, device.group) && !Contains(account.session, device.group)) {
        return advice + FormatString(IDM_PORT_GROUP_NOT_YET, device.groupName);
    }
    return advice + FormatString(IDM_PORT_JOIN_GROUP, device.groupName, account.name);
}

std::string PermissionAdvice(const std::string& path) {
    DeviceAccess device;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        device.mode = st.st_mode;
        gid_t ignored = 0;
        device.ownerName = AccountName(st.st_uid, ignored);
        device.group = st.st_gid;
        device.groupName = GroupName(st.st_gid);
    }
    AccountGroups account;
    gid_t primary = 0;
    account.name = AccountName(::geteuid(), primary);
    int count = ::getgroups(0, nullptr);
    account.session.resize(static_cast<size_t>(std::max(count, 0)));
    count = ::getgroups(count, account.session.data());
    account.session.resize(static_cast<size_t>(std::max(count, 0)));
    account.session.push_back(::getegid());
    int members = 64;
    account.memberOf.resize(static_cast<size_t>(members));
    if (::getgrouplist(account.name.c_str(), primary, account.memberOf.data(), &members) < 0) {
        account.memberOf.resize(static_cast<size_t>(members));
        ::getgrouplist(account.name.c_str(), primary, account.memberOf.data(), &members);
    }
    account.memberOf.resize(static_cast<size_t>(std::max(members, 0)));
    return PermissionAdvice(path, device, account);
}

}  // namespace orv
