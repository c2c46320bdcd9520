#pragma once

#include <string>

// Users and "Settings.dat" name ports "COM1", "COM2", ... COMn opens what the link
// <config>/ports/COMn points to (a USB adapter, a pseudo-terminal), and without such a link
// the n-th built-in serial port, /dev/ttyS<n-1>.

// "<config>/ports/COM<n>", whether or not it exists.
std::string PortLinkPath(int nPort);
// The path COMn opens.
std::string PortDevicePath(int nPort);
// How COMn names a device here, for the usage text: the link, the built-in fallback and an
// example, as whole lines.
std::string LinkedPortsText();
// The device COMn stands for, as the user knows it: where its link points (made absolute),
// else /dev/ttyS<n-1>. For messages only; opening goes through PortDevicePath.
std::string PortTargetPath(int nPort);
