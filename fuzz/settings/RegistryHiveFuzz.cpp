// Any bytes as a hive: parsing never fails, writing back gives the same bytes,
// and a value set afterwards reads back.

#include "settings/RegistryHive.h"

#include <cstdlib>
#include <string_view>

using namespace tarrowin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryHive hive = RegistryHive::parse(text);
    if (hive.serialize() != text) std::abort();
    const KeyPath path = splitKeyPath("Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon");
    (void)hive.keyExists(path);
    (void)hive.value(path, u"Empty");
    const RegValue v = makeStringValue("C:\\icons\\bin.ico,0");
    hive.setValue(path, u"Empty", v, 1700000000);
    if (hive.recognised()) {
        const RegistryHive again = RegistryHive::parse(hive.serialize());
        if (again.value(path, u"EMPTY") != v) std::abort();
    }
    return 0;
}
