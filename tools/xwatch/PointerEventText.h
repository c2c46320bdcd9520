#pragma once

#include <string>

#include "PointerRecording.h"

// One line of tactilo-xwatch's output, without its '\n':
//
//   press 1 960 540 state=0x0 time=81234
//   motion 0 961 541 state=0x100 time=81244
//   release 1 961 541 state=0x100 time=81250
//
// kind, button (0 for motion), root x, root y (negative left of or above the origin), the
// X button and modifier mask held just before the event (0x100 button 1, 0x400 button 3),
// and the server's time in milliseconds. The first four fields never change meaning, so a
// script can read them by position.
std::string FormatPointerEvent(const PointerEvent& event);
