#include "core/ObjectError.h"

namespace tarrowin {

ObjectError::ObjectError(std::int32_t number, std::string source, std::string description)
    : std::runtime_error(description),
      m_number(number),
      m_source(std::move(source)),
      m_description(std::move(description)) {}

std::string errorSource(std::string_view className) {
    std::string s(kExecutableName);
    s += '.';
    s += className;
    return s;
}

ObjectError ObjectError::fromCode(int code, std::string_view className, std::string description) {
    return ObjectError(static_cast<std::int32_t>(static_cast<std::uint32_t>(kObjectErrorBase) +
                                                 static_cast<std::uint32_t>(code)),
                       errorSource(className), std::move(description));
}

namespace {
// Everything runs on the user-interface thread; thread_local keeps tests that use
// threads from seeing each other's errors.
thread_local LastError g_lastError;
} // namespace

const LastError& lastError() { return g_lastError; }

void recordError(const ObjectError& error) {
    g_lastError.number = error.number();
    g_lastError.source = error.source();
    g_lastError.description = error.description();
}

void recordError(int code, std::string_view className, std::string description) {
    recordError(ObjectError::fromCode(code, className, std::move(description)));
}

void clearLastError() { g_lastError = LastError{}; }

} // namespace tarrowin
