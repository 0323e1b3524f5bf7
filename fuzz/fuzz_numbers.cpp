// The number readers. The first two bytes choose the declared count, bounded as the loader bounds it by the
// text's length; the rest is the element text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Colladaasset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    const long long bound = MaxDeclaredCount(text.size());
    const int count = static_cast<int>((data[0] | (data[1] << 8)) % (bound + 1));

    TFloatArray floats;
    ParseFloatArray(floats, text, count);
    if (floats.Count() != static_cast<std::size_t>(count)) __builtin_trap();
    TIntArray ints;
    ParseIntArray(ints, text, count);
    if (ints.Count() != static_cast<std::size_t>(count)) __builtin_trap();
    return 0;
}
