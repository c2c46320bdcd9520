#pragma once

#include <string>

// Inside a QEMU guest of tests/kernel/guest: asks the host-side test for something (write
// bytes to a chardev, unplug a device) over the guest's second UART and returns the host's
// one-line answer ("ok" when done). Blocks until the answer comes.
std::string AskHost(const std::string& strRequest);
