#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarrowin {

// Base of the object-error numbers; every class adds its own code to it.
inline constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);

// The executable's base name, which starts every error source ("tarrowin.cFileIcon").
inline constexpr std::string_view kExecutableName = "tarrowin";

// The one error type of the program. Operations that raise throw it; operations
// that record an error keep it as the last error (see recordError below).
class ObjectError : public std::runtime_error {
public:
    ObjectError(std::int32_t number, std::string source, std::string description);

    // Builds number and source from a class-specific code and the class's name.
    static ObjectError fromCode(int code, std::string_view className, std::string description);

    std::int32_t number() const noexcept { return m_number; }
    const std::string& source() const noexcept { return m_source; }
    const std::string& description() const noexcept { return m_description; }
    // The class-specific code (number minus the base).
    int code() const noexcept { return static_cast<int>(m_number - kObjectErrorBase); }

private:
    std::int32_t m_number;
    std::string m_source;
    std::string m_description;
};

std::string errorSource(std::string_view className);

// The last recorded error, as the program's error object keeps it. Operations that
// record rather than raise store it here; a number of 0 means none.
struct LastError {
    std::int32_t number = 0;
    std::string source;
    std::string description;
};

const LastError& lastError();
void recordError(const ObjectError& error);
void recordError(int code, std::string_view className, std::string description);
void clearLastError();

} // namespace tarrowin
