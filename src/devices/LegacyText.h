#pragma once

#include <cstddef>
#include <string>

// The text fields of "Settings.dat" (name, monitor, port, baud rate) are bytes, kept as they
// are. Files written on Windows hold them in the ANSI code page, ours in UTF-8, and the two
// can meet in one file. So a field is shown as UTF-8 when it is valid UTF-8, else as
// Windows-1252, the code page such files come from; and it is stored again as the same bytes
// unless the user changed what was shown:
//
//   stored bytes        | shown   | edited to | stored after Save
//   --------------------+---------+-----------+------------------------------------
//   47 65 72 C3 A4 74   | Gerät   | (nothing) | 47 65 72 C3 A4 74 (UTF-8 already)
//   47 65 72 E4 74      | Gerät   | (nothing) | 47 65 72 E4 74    (byte for byte)
//   47 65 72 E4 74      | Gerät   | Gerät 2   | 47 65 72 C3 A4 74 20 32 (as typed)

// True when strText is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsUtf8(const std::string& strText);
// A field as a list shows it: at most MAX_SHOWN_FIELD_BYTES of it, cut at a character and
// ended with an ellipsis. No real device has a name, monitor or port that long, but a file
// can hold one (10 MiB), and laying out such a text would stall the window for a minute.
// Still stored bytes: DisplayText turns the result into UTF-8 as it does the whole field.
//
//   stored field               | shown
//   ---------------------------+----------------------------------------------------------
//   up to the bound            | as it is
//   longer, UTF-8              | its first whole characters within the bound, then U+2026
//   longer, Windows-1252       | its first bytes within the bound, then 0x85 (its ellipsis)
constexpr std::size_t MAX_SHOWN_FIELD_BYTES = 256;
std::string ShownField(const std::string& strStored);
// The field as UTF-8 for showing it.
std::string DisplayText(const std::string& strStored);
// What to store for a field that was shown as DisplayText(strStored) and now reads
// strShown (UTF-8): the old bytes when the user left the text as it was, else strShown.
std::string StoredText(const std::string& strShown, const std::string& strStored);
