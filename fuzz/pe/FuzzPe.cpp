// Feeds arbitrary bytes to the PE resource reader and walks everything it offers:
// every type, name and language, every lookup, and every icon group.

#include "icon/PeIconGroup.h"
#include "icon/PeResourceReader.h"

#include <cstddef>
#include <cstdint>

using namespace tarrowin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto reader = PeResourceReader::view(Bytes(data, size));
    std::size_t sink = 0;
    for (const PeTypeEntry& type : reader.types()) {
        for (const PeNameEntry& name : type.names) {
            Bytes bytes;
            if (reader.find(type.type, name.name, &bytes) == PeResourceReader::Lookup::Found)
                sink += bytes.empty() ? 0 : bytes[bytes.size() - 1];
            if (sameName(type.type, PeName{kResourceTypeGroupIcon})) {
                const PeIconGroup group = readIconGroup(reader, name.name);
                for (const auto& image : group.images) sink += image.size();
            }
        }
    }
    // Name lookups that go through the text form and case folding.
    (void)reader.find(PeName{std::string("ICON")}, PeName{std::string("main")}, nullptr);
    return sink == 0xFFFFFFFF ? 1 : 0;
}
