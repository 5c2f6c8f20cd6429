#include "fuzz/icon/IcoExercise.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!tarrowin::fuzzing::exerciseIco(tarrowin::Bytes(data, size))) __builtin_trap();
    return 0;
}
