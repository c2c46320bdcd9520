#include "linux/LineTermios.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

// <sys/ioctl.h> drags in the C library's termios types, which clash with the kernel's.
extern "C" int ioctl(int fd, unsigned long request, ...);

int ReadLineSettings(int fd) {
    struct termios2 tio {};
    return ioctl(fd, TCGETS2, &tio) == 0 ? 0 : errno;
}

int WriteLineSettings(int fd, const LineSettings& settings) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return errno;
    }
    // Raw input: no break or parity processing, no CR/NL translation, no XON/XOFF.
    tio.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);

    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CBAUD | (CBAUD << IBSHIFT));
    switch (settings.nByteSize) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        default:
            tio.c_cflag |= CS8;
            break;
    }
    switch (settings.nParity) {
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            break;
        case 3:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 4:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // One and a half stop bits is what a UART gives for CSTOPB with 5-bit bytes.
    if (settings.nStopBits == 1 || settings.nStopBits == 2) {
        tio.c_cflag |= CSTOPB;
    }
    tio.c_cflag |= CLOCAL | CREAD | CRTSCTS | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = settings.nBaudRate;
    tio.c_ospeed = settings.nBaudRate;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &tio) == 0 ? 0 : errno;
}

int ReadLineFraming(int fd, LineFraming& framing) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return errno;
    }
    framing.nBaudRate = tio.c_ispeed;
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            framing.nByteSize = 5;
            break;
        case CS6:
            framing.nByteSize = 6;
            break;
        case CS7:
            framing.nByteSize = 7;
            break;
        default:
            framing.nByteSize = 8;
            break;
    }
    framing.nParity = 0;
    if (tio.c_cflag & PARENB) {
        const bool bOdd = tio.c_cflag & PARODD;
        framing.nParity = (tio.c_cflag & CMSPAR) ? (bOdd ? 3 : 4) : (bOdd ? 1 : 2);
    }
    framing.bTwoStopBits = tio.c_cflag & CSTOPB;
    framing.bRtsCts = tio.c_cflag & CRTSCTS;
    framing.bRaw = !(tio.c_lflag & (ICANON | ECHO | ISIG)) && !(tio.c_iflag & (ICRNL | IXON));
    return 0;
}
