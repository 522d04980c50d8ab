// The serial ports of the machine as COM numbers, on top of the profile's
// port map (PortMap).
#pragma once

#include <QList>
#include <QMap>
#include <QSettings>
#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orv {

constexpr int kMaxProbedPort = 8;

// Whether the profile maps any COM number to a device yet.
bool HasPortMap(QSettings& profile);

// A serial device the system reports.
struct FoundPort {
    FoundPort(QString devicePath, QString text, QString maker = QString(),
              QString serial = QString(), QString stable = QString())
        : path(std::move(devicePath)),
          description(std::move(text)),
          manufacturer(std::move(maker)),
          serialNumber(std::move(serial)),
          stablePath(std::move(stable)) {}

    QString path;  // the kernel's name for it, such as /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    // A name that stays with the device wherever it is plugged in
    // (/dev/serial/by-id/...), when the system gives it one.
    QString stablePath;
};
// Where the list of serial devices comes from: QSerialPortInfo unless
// replaced (tests give their pseudo-terminals).
using PortSource = std::function<QList<FoundPort>()>;
// Returns the source it replaces.
PortSource SetPortSource(PortSource source);

// Whether path is a terminal device that carries the system console: such a
// device is never listed, probed or opened.
bool IsConsoleDevice(const QString& path);

// The links of folder (by default /dev/serial/by-id) by the canonical path
// of the device each leads to; the first by name when several lead to one.
QMap<QString, QString> StableDeviceNames(const QString& folder = QString());

// Whether the device a port was mapped to has gone (the path no longer names
// a character device): its number may go to another device.
bool IsDeviceGone(const std::string& path);

// What the port list says about a device: its description, manufacturer and
// serial number where the system has them, and its kernel path.
QString DescribePort(const FoundPort& port);

// The serial devices of the machine, each with a COM number and a
// description, in the order the system lists them. The profile remembers
// each device's number by its stable path (its kernel path when it has none),
// so that an adapter keeps its number in any socket; a device already mapped
// by the path typed for it keeps that entry. A new device takes the lowest
// free number, else the lowest number whose device no longer exists. The
// console, and devices beyond nine present ones, are left out. Always true:
// the system's list can be read on every machine.
bool EnumeratePorts(QSettings& profile, std::vector<unsigned>& numbers,
                    std::vector<QString>& descriptions);
// COM1 to COM8 whose devices open, or exist but are in use.
bool ProbePorts(QSettings& profile, std::vector<unsigned>& numbers);

// One line of the port settings dialog's port list.
struct PortLine {
    unsigned number;
    QString description;
    // "COM3 - " and the description.
    QString Text() const;
};
// The port list as the port settings dialog shows it: the system's list, or,
// when that finds nothing, COM1 to COM8 probed, each described as
// "*Communications Port". Empty when neither finds a port.
std::vector<PortLine> ListPorts(QSettings& profile);

}  // namespace orv
