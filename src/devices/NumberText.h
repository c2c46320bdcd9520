#pragma once

#include <string>

// Number <-> text in the classic "C" forms, whatever locale the process runs in (Qt sets
// the user's locale at start-up, and a German user would otherwise get "1,500000").

// atoi: leading white space, an optional sign, digits; stops at the first other character;
// no number gives 0. Out-of-range values saturate to the long range and are then cut to
// int, as the C library does.
int TextToInt(const std::string& strText);
// atof: leading white space, an optional sign, then a decimal number with optional
// fraction and exponent (also "inf", "nan" and hexadecimal "0x..."); no number gives 0.0.
double TextToDouble(const std::string& strText);
// %d
std::string IntToText(long long nValue);
// %f: fixed point, six decimals, rounded; "inf", "-inf" and "nan" for non-finite values.
std::string DoubleToText(double dValue);
