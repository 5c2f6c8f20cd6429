#pragma once

#include <stdexcept>
#include <string>

namespace tarrowin {

// A verb that cannot go on: the message becomes the one line on standard error.
struct CommandFailure : std::runtime_error {
    explicit CommandFailure(const std::string& message) : std::runtime_error(message) {}
};

} // namespace tarrowin
