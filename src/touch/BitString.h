#pragma once

#include <string>

// Packets travel from the reader to the processor as text: every byte becomes eight
// characters '0'/'1', most significant bit first, and a packet is 24 such characters.

// 0xC5 gives "11000101". Returns a fresh string, so any thread may call it.
std::string ByteToBits(unsigned nByte);

// Reads a string of '0'/'1' as a base-2 number, most significant character first.
// Any character other than '1' counts as a 0 digit; an empty string gives 0. Strings
// handed in by the processor hold at most 10 characters; longer ones are taken modulo 2^31.
int BitsToInt(const std::string& strBits);
