#include "ReceiverSettings.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> drags in the C library's termios types, which clash with the kernel's; the
// C library's own termios cannot report a rate set with BOTHER.
extern "C" int ioctl(int fd, unsigned long request, ...);

bool ReadReceiverSettings(int masterFd, int& nBaud, LineInputFlags& flags) {
    struct termios2 tio {};
    if (ioctl(masterFd, TCGETS2, &tio) != 0) {
        return false;
    }
    nBaud = static_cast<int>(tio.c_ispeed);
    flags.bInpck = tio.c_iflag & INPCK;
    flags.bIgnpar = tio.c_iflag & IGNPAR;
    flags.bParmrk = tio.c_iflag & PARMRK;
    flags.bIgnbrk = tio.c_iflag & IGNBRK;
    flags.bBrkint = tio.c_iflag & BRKINT;
    return true;
}
