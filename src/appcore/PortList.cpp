#include "appcore/PortList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSerialPortInfo>
#include <cerrno>
#include <utility>

#include "appcore/PortMap.h"
#include "core/StringTable.h"
#include "engine/SerialLine.h"

namespace orv {
namespace {

PortSource& Source() {
    static PortSource source;
    return source;
}

QList<FoundPort> SystemPorts() {
    QList<FoundPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ports.append({info.systemLocation(), info.description()});
    }
    return ports;
}

}  // namespace

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

bool EnumeratePorts(QSettings& profile, std::vector<unsigned>& numbers,
                    std::vector<QString>& descriptions) {
    numbers.clear();
    descriptions.clear();
    const QList<FoundPort> found = Source() ? Source()() : SystemPorts();
    PortMap map(profile);
    for (const FoundPort& port : found) {
        if (IsConsoleDevice(port.path)) {
            continue;
        }
        std::optional<int> n = map.AssignPort(port.path.toStdString());
        if (!n) {
            continue;
        }
        numbers.push_back(static_cast<unsigned>(*n));
        // The device path tells Linux users which adapter the line stands for.
        descriptions.push_back(port.description.isEmpty()
                                   ? port.path
                                   : port.description + QStringLiteral(" (") + port.path +
                                         QLatin1Char(')'));
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
