// Which device stands behind each of the names COM1 to COM9. The map lives in
// the profile's group "Ports"; an unmapped COMn is /dev/ttyS<n-1>.
#pragma once

#include <QSettings>
#include <optional>
#include <string>

namespace orv {

constexpr int kFirstComPort = 1;
constexpr int kLastComPort = 9;

class PortMap {
public:
    explicit PortMap(QSettings& settings) : m_settings(settings) {}

    static std::string DefaultDevicePath(int port);
    // "COM3" (any letter case) to 3; nothing for other texts or numbers outside 1-9.
    static std::optional<int> ParsePortName(const std::string& name);

    // The stored device path of port, if any.
    std::optional<std::string> MappedPath(int port) const;
    // The stored path, or the default one.
    std::string DevicePath(int port) const;
    void SetDevicePath(int port, const std::string& path);
    void Remove(int port);
    // The port whose stored path is path.
    std::optional<int> PortOf(const std::string& path) const;
    // The port of path: its existing mapping, else the lowest port with no
    // mapping, which is then stored. Nothing when all nine are taken.
    std::optional<int> AssignPort(const std::string& path);

private:
    QSettings& m_settings;
};

}  // namespace orv
