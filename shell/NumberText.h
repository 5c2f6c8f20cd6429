#pragma once

// Numbers as config.ini holds them.

#include <cstdint>
#include <string>

namespace tarrowin {

// " 3" for zero and positive numbers (one leading blank), "-3" for negative ones.
std::string numberText(int value);

// A setting read back as a 16-bit number: blanks around it are allowed, a
// fraction is rounded half to even. Throws std::invalid_argument for a text that
// is not a number ("ERROR" for a missing key) and std::out_of_range beyond 16 bits.
std::int16_t configInt16(const std::string& text);

} // namespace tarrowin
