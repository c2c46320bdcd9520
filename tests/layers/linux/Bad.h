#pragma once
// A Linux back-end may use POSIX and X11, not Qt.
#include <QObject>
#include <sys/ioctl.h>
#include <X11/Xlib.h>
