#include "engine/ConsoleDevice.h"

#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>
#include <string>

namespace orv {

namespace {

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool ParseMajorMinor(std::string_view text, dev_t& out) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size()) {
        return false;
    }
    unsigned major = 0;
    unsigned minor = 0;
    for (size_t i = 0; i < colon; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        major = major * 10 + static_cast<unsigned>(text[i] - '0');
    }
    for (size_t i = colon + 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        minor = minor * 10 + static_cast<unsigned>(text[i] - '0');
    }
    out = makedev(major, minor);
    return true;
}

}  // namespace

std::vector<dev_t> ParseProcConsoles(std::string_view text) {
    std::vector<dev_t> devices;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        // The device number is the last field: "ttyS0 -W- (EC p a) 4:64".
        size_t end = line.find_last_not_of(" \t\r");
        if (end == std::string::npos) {
            continue;
        }
        size_t start = line.find_last_of(" \t", end);
        start = start == std::string::npos ? 0 : start + 1;
        dev_t dev;
        if (ParseMajorMinor(std::string_view(line).substr(start, end + 1 - start), dev)) {
            devices.push_back(dev);
        }
    }
    return devices;
}

bool CarriesConsole(dev_t device) {
    unsigned major = ::major(device);
    unsigned minor = ::minor(device);
    // /dev/tty, /dev/console and the virtual consoles are never serial ports.
    if (major == 5 && minor <= 1) {
        return true;
    }
    if (major == 4 && minor < 64) {
        return true;
    }
    std::vector<dev_t> consoles = ParseProcConsoles(ReadSmallFile("/proc/consoles"));
    std::istringstream active(ReadSmallFile("/sys/class/tty/console/active"));
    std::string name;
    while (active >> name) {
        if (name.find('/') != std::string::npos || name == "." || name == "..") {
            continue;
        }
        std::string text = ReadSmallFile("/sys/class/tty/" + name + "/dev");
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
            text.pop_back();
        }
        dev_t dev;
        if (ParseMajorMinor(text, dev)) {
            consoles.push_back(dev);
        }
    }
    for (dev_t c : consoles) {
        if (c == device) {
            return true;
        }
    }
    return false;
}

}  // namespace orv
