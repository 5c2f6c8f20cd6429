#include "shell/NumberText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace tarrowin {

std::string numberText(int value) {
    return value < 0 ? std::to_string(value) : std::to_string(value).insert(0, 1, ' ');
}

std::int16_t configInt16(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    if (first == std::string::npos) throw std::invalid_argument("empty number");
    const std::string s = text.substr(first, last - first + 1);
    // Only plain decimal numbers: strtod would also take "inf", "nan" and hex.
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+')) throw std::invalid_argument("not a number: " + s);
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno == ERANGE) throw std::invalid_argument("not a number: " + s);
    const double r = std::nearbyint(v);
    if (r < -32768.0 || r > 32767.0) throw std::out_of_range("number beyond 16 bits: " + s);
    return static_cast<std::int16_t>(r);
}

} // namespace tarrowin
