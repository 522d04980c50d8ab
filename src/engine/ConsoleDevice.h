// Which terminal devices carry the system console. The engine never opens
// one, and the port list never offers one: a transfer over it would garble the
// console and a login on it could read the device's data.
#pragma once

#include <sys/types.h>

#include <string_view>
#include <vector>

namespace orv {

// Devices that carry the system console, from /sys/class/tty/console/active
// and /proc/consoles (plus /dev/console, /dev/tty and the virtual consoles).
bool CarriesConsole(dev_t device);
// The "major:minor" fields of /proc/consoles lines.
std::vector<dev_t> ParseProcConsoles(std::string_view text);

}  // namespace orv
