// termios2 lives in the kernel's headers, which clash with <termios.h>; this
// file includes only those.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include "engine/SerialLine.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace orv {

bool SetCustomBaudRate(int fd, unsigned rate) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return false;
    }
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    return ioctl(fd, TCSETS2, &t) == 0;
}

unsigned ReadOutputBaudRate(int fd) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return 0;
    }
    return t.c_ospeed;
}

}  // namespace orv
