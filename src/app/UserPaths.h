#pragma once

#include <string>

// The per-user folder of the program: $XDG_CONFIG_HOME/Brenhold/, by default
// ~/.config/Brenhold/, always with a trailing '/'. Read from the environment at each call so
// that tests and scripts can point it elsewhere.
std::string BrenholdConfigDirectory();
