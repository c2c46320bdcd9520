#pragma once
// The Qt front end may use Qt and the Linux back-ends.
#include <QWidget>
#include <unistd.h>
#include "linux/PosixSerialLine.h"
