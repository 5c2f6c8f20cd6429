#pragma once

// The values that outlive every window of the program: the skin in use and
// whether closing the splash goes to the main menu. Owned by the application and
// handed to the windows; 0 until start-up reads them from config.ini.

#include <cstdint>

namespace tarrowin {

struct AppState {
    std::int16_t CurrentSkin = 0;
    std::int16_t StartInMenu = 0;
};

} // namespace tarrowin
