#pragma once

#include <windows.h>

// "About Tactilo" (template 100): the program icon, the version, the maker, OK. Runs modally
// over hOwner; *phOpen holds the box's window while it is open, so that a second request can
// bring it to the front instead of opening another.
void RunAboutBox(HINSTANCE hInstance, HWND hOwner, HWND* phOpen);

// "Tactilo Version 2.5.0.0", as the box shows it.
const wchar_t* AboutVersionText();
