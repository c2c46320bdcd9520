#pragma once

#include <string>

// The Linux side of a Windows test run under Wine (tests/windows/wine_run.py): a test asks it
// for what a program inside Wine cannot see or do, such as writing to the pseudo-terminal
// behind COM5 or reading the X pointer. One line out on standard output, one line back on
// standard input; empty when no runner answers.
std::string AskWineHost(const std::string& strRequest);

// Writes the bytes to COM5's other end; true when the runner did.
bool WriteToCom5(const std::string& strHexBytes);
