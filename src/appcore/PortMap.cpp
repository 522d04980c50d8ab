#include "appcore/PortMap.h"

namespace orv {

namespace {

QString Key(int port) {
    return QStringLiteral("Ports/COM%1").arg(port);
}

bool InRange(int port) {
    return port >= kFirstComPort && port <= kLastComPort;
}

}  // namespace

std::string PortMap::DefaultDevicePath(int port) {
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::optional<int> PortMap::ParsePortName(const std::string& name) {
    if (name.size() != 4 || (name[0] != 'C' && name[0] != 'c') ||
        (name[1] != 'O' && name[1] != 'o') || (name[2] != 'M' && name[2] != 'm')) {
        return std::nullopt;
    }
    int port = name[3] - '0';
    return InRange(port) ? std::optional<int>(port) : std::nullopt;
}

std::optional<std::string> PortMap::MappedPath(int port) const {
    if (!InRange(port)) {
        return std::nullopt;
    }
    QVariant v = m_settings.value(Key(port));
    if (!v.isValid() || v.toString().isEmpty()) {
        return std::nullopt;
    }
    return v.toString().toStdString();
}

std::string PortMap::DevicePath(int port) const {
    return MappedPath(port).value_or(DefaultDevicePath(port));
}

void PortMap::SetDevicePath(int port, const std::string& path) {
    if (InRange(port)) {
        m_settings.setValue(Key(port), QString::fromStdString(path));
    }
}

void PortMap::Remove(int port) {
    if (InRange(port)) {
        m_settings.remove(Key(port));
    }
}

std::optional<int> PortMap::PortOf(const std::string& path) const {
    for (int port = kFirstComPort; port <= kLastComPort; ++port) {
        if (MappedPath(port) == path) {
            return port;
        }
    }
    return std::nullopt;
}

std::optional<int> PortMap::AssignPort(const std::string& path) {
    if (std::optional<int> existing = PortOf(path)) {
        return existing;
    }
    for (int port = kFirstComPort; port <= kLastComPort; ++port) {
        if (!MappedPath(port)) {
            SetDevicePath(port, path);
            return port;
        }
    }
    return std::nullopt;
}

}  // namespace orv
