// tactilo-live-floor: the least any driver could do with a touch packet, as the yardstick
// for the program's latency. It blocks in read() on a pseudo-terminal, takes the three bytes
// of a packet, and moves the pointer straight to raw x, raw y with XTest, flushing at once.
// No framing rules beyond finding the lead byte, no mapping, no threads.
//
//   tactilo-live-floor SLAVE_PATH       (the X display is $DISPLAY)
//
// It ends when the line ends (end of file or an error) or by a signal.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tactilo-live-floor SLAVE_PATH\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &tio);
    }
    Display* pDisplay = XOpenDisplay(nullptr);
    int nEventBase = 0;
    int nErrorBase = 0;
    int nMajor = 0;
    int nMinor = 0;
    if (!pDisplay || !XTestQueryExtension(pDisplay, &nEventBase, &nErrorBase, &nMajor, &nMinor)) {
        std::fprintf(stderr, "tactilo-live-floor: no X display with XTest\n");
        return 1;
    }

    unsigned char aPacket[3];
    int nHave = 0;
    for (;;) {
        const ssize_t nRead = read(fd, aPacket + nHave, sizeof aPacket - nHave);
        if (nRead < 0 && errno == EINTR) {
            continue;
        }
        if (nRead <= 0) {
            break;
        }
        nHave += static_cast<int>(nRead);
        while (nHave > 0 && !(aPacket[0] & 0x80)) {  // not a lead byte: drop it
            std::memmove(aPacket, aPacket + 1, static_cast<std::size_t>(--nHave));
        }
        if (nHave < 3) {
            continue;
        }
        nHave = 0;
        const int x = ((aPacket[0] >> 3) & 7) << 7 | (aPacket[1] & 0x7F);
        const int y = (aPacket[0] & 7) << 7 | (aPacket[2] & 0x7F);
        XTestFakeMotionEvent(pDisplay, -1, x, y, CurrentTime);
        XFlush(pDisplay);
    }
    XCloseDisplay(pDisplay);
    return 0;
}
