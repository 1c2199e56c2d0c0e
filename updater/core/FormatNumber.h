// Byte counts for the progress window: digits grouped by threes with ",".
#pragma once

#include <cstdint>
#include <string>

// value with the given number of decimals (0 or more), e.g. 1234567 -> "1,234,567",
// -1234.5 with 1 decimal -> "-1,234.5".
std::string FormatNumber(double value, int decimals);

// The percentage the progress window shows for pos in low..high: the 64-bit product,
// truncated toward zero; anything but exactly 100 is taken modulo 100. An empty range
// (low equal to high) shows 0 instead of dividing by zero.
int ProgressPercent(int64_t pos, int64_t low, int64_t high);
