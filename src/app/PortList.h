// The serial ports of the machine as COM numbers. The profile's port map
// (group "Ports", keys COM1 to COM9, a device path each) says which device a
// number stands for; an unmapped COMn is /dev/ttyS<n-1>.
#pragma once

#include <QList>
#include <QSettings>
#include <QString>
#include <functional>
#include <vector>

namespace orv {

constexpr int kMaxCommPort = 9;
constexpr int kMaxProbedPort = 8;

// The device path behind COM port n.
QString DevicePathForPort(QSettings& profile, int n);
// The mapped path of COM port n, empty when the profile maps none.
QString MappedPath(QSettings& profile, int n);
void MapPort(QSettings& profile, int n, const QString& path);
bool HasPortMap(QSettings& profile);

// The COM number for a device: the number it is mapped to, else the lowest
// number the map leaves free (and records it). 0 when all nine are taken.
int AssignPortNumber(QSettings& profile, const QString& path);
// The number the map gives path, or 0.
int MappedPortNumber(QSettings& profile, const QString& path);

// A serial device the system reports.
struct FoundPort {
    QString path;
    QString description;
};
// Where the list of serial devices comes from: QSerialPortInfo unless
// replaced (tests give their pseudo-terminals).
using PortSource = std::function<QList<FoundPort>()>;
void SetPortSource(PortSource source);

// Whether path is a terminal device that carries the system console: such a
// device is never listed, probed or opened.
bool IsConsoleDevice(const QString& path);

// The serial devices of the machine, each with a COM number (remembered in
// the profile) and a description, in the order the system lists them.
// Devices beyond the ninth number and the console are left out. Always true:
// the system's list can be read on every machine.
bool EnumeratePorts(QSettings& profile, std::vector<unsigned>& numbers,
                    std::vector<QString>& descriptions);
// COM1 to COM8 whose devices open, or exist but are in use.
bool ProbePorts(QSettings& profile, std::vector<unsigned>& numbers);

}  // namespace orv
