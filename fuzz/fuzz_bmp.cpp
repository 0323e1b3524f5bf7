// The Bmp decoder on bytes in memory: any input decodes within the size limits or raises TImageError.
#include "DecodeWithinLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodeWithinLimits(DecodeBmp, data, size, "fuzz.bmp");
    return 0;
}
