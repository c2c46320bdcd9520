// tactilo-live-uinput-floor: the least any driver could do with a touch packet through the
// kernel, as the yardstick for Tactilo's uinput output. It makes an absolute pointer with
// libevdev (axes over the bench's 1920 x 1080 desktop, the left button), blocks in read() on
// a pseudo-terminal, and writes raw x, raw y as ABS_X, ABS_Y and one SYN_REPORT: the events
// Tactilo writes for a move. No framing rules beyond finding the lead byte, no mapping.
//
//   tactilo-live-uinput-floor SLAVE_PATH
//
// It ends when the line ends (end of file or an error) or by a signal.

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tactilo-live-uinput-floor SLAVE_PATH\n");
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
    libevdev* pDevice = libevdev_new();
    libevdev_set_name(pDevice, "Tactilo bench floor");
    libevdev_set_id_bustype(pDevice, BUS_VIRTUAL);
    libevdev_enable_property(pDevice, INPUT_PROP_POINTER);
    libevdev_enable_event_code(pDevice, EV_KEY, BTN_LEFT, nullptr);
    input_absinfo absX{};
    absX.maximum = 1919;
    absX.resolution = 2;
    input_absinfo absY = absX;
    absY.maximum = 1079;
    libevdev_enable_event_code(pDevice, EV_ABS, ABS_X, &absX);
    libevdev_enable_event_code(pDevice, EV_ABS, ABS_Y, &absY);
    libevdev_uinput* pUinput = nullptr;
    const int nMade =
        libevdev_uinput_create_from_device(pDevice, LIBEVDEV_UINPUT_OPEN_MANAGED, &pUinput);
    if (nMade < 0) {
        std::fprintf(stderr, "tactilo-live-uinput-floor: /dev/uinput: %s\n", std::strerror(-nMade));
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
        libevdev_uinput_write_event(pUinput, EV_ABS, ABS_X, x);
        libevdev_uinput_write_event(pUinput, EV_ABS, ABS_Y, y);
        libevdev_uinput_write_event(pUinput, EV_SYN, SYN_REPORT, 0);
    }
    libevdev_uinput_destroy(pUinput);
    libevdev_free(pDevice);
    return 0;
}
