#include "appcore/PortList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <cerrno>
#include <set>
#include <utility>

#include "appcore/PortMap.h"
#include "core/ProgramTexts.h"
#include "core/StringTable.h"
#include "engine/ConsoleDevice.h"

namespace orv {
namespace {

PortSource& Source() {
    static PortSource source;
    return source;
}

QList<FoundPort> SystemPorts() {
    const QMap<QString, QString> stable = StableDeviceNames();
    QList<FoundPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString path = info.systemLocation();
        ports.append({path, info.description(), info.manufacturer(), info.serialNumber(),
                      stable.value(QFileInfo(path).canonicalFilePath())});
    }
    return ports;
}

}  // namespace

bool IsDeviceGone(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode);
}

bool HasPortMap(QSettings& profile) {
    PortMap map(profile);
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        if (map.MappedPath(n)) {
            return true;
        }
    }
    return false;
}

PortSource SetPortSource(PortSource source) {
    return std::exchange(Source(), std::move(source));
}

bool IsConsoleDevice(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) {
        return false;
    }
    return CarriesConsole(st.st_rdev);
}

QMap<QString, QString> StableDeviceNames(const QString& folder) {
    QDir links(folder.isEmpty() ? QStringLiteral("/dev/serial/by-id") : folder);
    QMap<QString, QString> names;
    const QFileInfoList entries =
        links.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : entries) {
        QString device = link.canonicalFilePath();
        if (link.isSymLink() && !device.isEmpty() && !names.contains(device)) {
            names.insert(device, link.absoluteFilePath());
        }
    }
    return names;
}

QString DescribePort(const FoundPort& port) {
    QStringList parts;
    if (!port.description.isEmpty()) {
        parts.append(port.description);
    }
    if (!port.manufacturer.isEmpty() &&
        !port.description.contains(port.manufacturer, Qt::CaseInsensitive)) {
        parts.append(port.manufacturer);
    }
    if (!port.serialNumber.isEmpty()) {
        parts.append(QString::fromStdString(
            FormatString(IDS_PORT_SERIAL_NUMBER, port.serialNumber.toStdString())));
    }
    // The device path tells Linux users which adapter the line stands for.
    if (parts.isEmpty()) {
        return port.path;
    }
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" (") + port.path + QLatin1Char(')');
}

bool EnumeratePorts(QSettings& profile, std::vector<unsigned>& numbers,
                    std::vector<QString>& descriptions) {
    numbers.clear();
    descriptions.clear();
    QList<FoundPort> found = Source() ? Source()() : SystemPorts();
    found.removeIf([](const FoundPort& port) { return IsConsoleDevice(port.path); });
    PortMap map(profile);

    // Devices the map knows keep their numbers, whichever path it has for them.
    std::vector<std::optional<int>> assigned(static_cast<size_t>(found.size()));
    std::set<int> present;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const FoundPort& port = found[i];
        std::optional<int> n;
        if (!port.stablePath.isEmpty()) {
            n = map.PortOf(port.stablePath.toStdString());
        }
        if (!n) {
            n = map.PortOf(port.path.toStdString());
        }
        if (n && present.insert(*n).second) {
            assigned[static_cast<size_t>(i)] = n;
        }
    }
    // New devices: a free number, else one whose device has gone.
    for (qsizetype i = 0; i < found.size(); ++i) {
        std::optional<int>& n = assigned[static_cast<size_t>(i)];
        if (n) {
            continue;
        }
        const FoundPort& port = found[i];
        std::string path = (port.stablePath.isEmpty() ? port.path : port.stablePath).toStdString();
        n = map.AssignPort(path);
        for (int k = kFirstComPort; !n && k <= kLastComPort; ++k) {
            std::optional<std::string> mapped = map.MappedPath(k);
            if (!present.count(k) && mapped && IsDeviceGone(*mapped)) {
                map.SetDevicePath(k, path);
                n = k;
            }
        }
        if (n) {
            present.insert(*n);
        }
    }
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (std::optional<int> n = assigned[static_cast<size_t>(i)]) {
            numbers.push_back(static_cast<unsigned>(*n));
            descriptions.push_back(DescribePort(found[i]));
        }
    }
    return true;
}

bool ProbePorts(QSettings& profile, std::vector<unsigned>& numbers) {
    numbers.clear();
    PortMap map(profile);
    for (int n = 1; n <= kMaxProbedPort; ++n) {
        QString path = QString::fromStdString(map.DevicePath(n));
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode) ||
            CarriesConsole(st.st_rdev)) {
            continue;
        }
        int fd =
            ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            numbers.push_back(static_cast<unsigned>(n));
        } else if (errno == EACCES || errno == EPERM || errno == EBUSY) {
            // The port exists but another program holds it, or this account
            // may not use it: it is still a port the user may choose.
            numbers.push_back(static_cast<unsigned>(n));
        }
    }
    return true;
}

QString PortLine::Text() const {
    return QStringLiteral("COM%1 - %2").arg(number).arg(description);
}

std::vector<PortLine> ListPorts(QSettings& profile) {
    std::vector<unsigned> numbers;
    std::vector<QString> descriptions;
    if (!EnumeratePorts(profile, numbers, descriptions) || numbers.empty()) {
        ProbePorts(profile, numbers);
        descriptions.assign(numbers.size(), QString::fromStdString(LoadString(IDS_PORTS_PROBED)));
    }
    std::vector<PortLine> lines;
    for (size_t i = 0; i < numbers.size(); ++i) {
        lines.push_back({numbers[i], descriptions[i]});
    }
    return lines;
}

}  // namespace orv
