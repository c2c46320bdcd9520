#pragma once

#include <string>

// Number <-> text in the classic "C" forms, whatever locale the process runs in (Qt sets
// the user's locale at start-up, and a German user would otherwise get "1,500000").

// atoi: leading white space, an optional sign, digits; stops at the first other character;
// no number gives 0. Out-of-range values give the limit of their sign (2147483647 or
// -2147483648), as a 32-bit atoi does, never a value cut to 32 bits.
int TextToInt(const std::string& strText);
// atof: leading white space, an optional sign, then a decimal number with optional
// fraction and exponent; no number gives 0.0. Hexadecimal is not read ("0x10" gives 0.0).
// The words "inf", "infinity" and "nan" are read, since DoubleToText writes them.
double TextToDouble(const std::string& strText);
// %d
std::string IntToText(long long nValue);
// %f: fixed point, six decimals, rounded; "inf", "-inf" and "nan" for non-finite values.
std::string DoubleToText(double dValue);
