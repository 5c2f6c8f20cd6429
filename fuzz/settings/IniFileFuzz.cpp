// Any bytes as an INI file: lookups never fail, and a key written is the key read.

#include "settings/IniFile.h"

#include <cstdlib>
#include <string_view>

using namespace tarrowin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)findIniValue(text, "QX-HALDMARK", "skins");
    const std::string out = setIniValue(text, "QX-HALDMARK", "skins", " 3");
    if (findIniValue(out, "qx-haldmark", "SKINS") != std::string("3")) std::abort();
    return 0;
}
