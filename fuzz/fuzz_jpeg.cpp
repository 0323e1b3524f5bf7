// The Jpeg decoder on bytes in memory: any input decodes within the size limits or raises TImageError.
#include "DecodeWithinLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodeWithinLimits(DecodeJpeg, data, size, "fuzz.jpeg");
    return 0;
}
