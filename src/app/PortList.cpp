#include "app/PortList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QSerialPortInfo>
#include <cerrno>

#include "engine/SerialLine.h"

namespace orv {
namespace {

const QString kPortsGroup = QStringLiteral("Ports");

QString Key(int n) {
    return kPortsGroup + QStringLiteral("/COM%1").arg(n);
}

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

bool SamePath(const QString& a, const QString& b) {
    if (a == b) {
        return true;
    }
    QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

}  // namespace

QString MappedPath(QSettings& profile, int n) {
    return profile.value(Key(n)).toString();
}

QString DevicePathForPort(QSettings& profile, int n) {
    QString mapped = MappedPath(profile, n);
    return mapped.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(n - 1) : mapped;
}

void MapPort(QSettings& profile, int n, const QString& path) {
    profile.setValue(Key(n), path);
}

bool HasPortMap(QSettings& profile) {
    profile.beginGroup(kPortsGroup);
    bool has = !profile.childKeys().isEmpty();
    profile.endGroup();
    return has;
}

int MappedPortNumber(QSettings& profile, const QString& path) {
    for (int n = 1; n <= kMaxCommPort; ++n) {
        QString mapped = MappedPath(profile, n);
        if (!mapped.isEmpty() && SamePath(mapped, path)) {
            return n;
        }
    }
    return 0;
}

int AssignPortNumber(QSettings& profile, const QString& path) {
    if (int n = MappedPortNumber(profile, path)) {
        return n;
    }
    for (int n = 1; n <= kMaxCommPort; ++n) {
        if (MappedPath(profile, n).isEmpty()) {
            MapPort(profile, n, path);
            return n;
        }
    }
    return 0;
}

void SetPortSource(PortSource source) {
    Source() = std::move(source);
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
    for (const FoundPort& port : found) {
        if (IsConsoleDevice(port.path)) {
            continue;
        }
        int n = AssignPortNumber(profile, port.path);
        if (n == 0) {
            continue;
        }
        numbers.push_back(static_cast<unsigned>(n));
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
    for (int n = 1; n <= kMaxProbedPort; ++n) {
        QString path = DevicePathForPort(profile, n);
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

}  // namespace orv
