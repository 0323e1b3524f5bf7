// The number readers. The first two bytes choose the declared count, bounded as the loader bounds it by the
// text's length; the rest is the element text. The readers promise the results of formatted stream
// extraction in the classic locale, so every array is checked against that, entry by entry and bit by bit.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>

#include "Colladaasset.h"

namespace {

template <typename T>
void CheckAgainstStream(const TNumericArray<T>& array, std::string_view text, int count) {
    if (array.Count() != static_cast<std::size_t>(count)) __builtin_trap();
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    bool reading = true;
    for (int i = 0; i < count; ++i) {
        T expected = 0;
        if (reading && !(in >> expected)) reading = false;
        if (!reading) expected = 0;
        if (std::memcmp(&expected, &array[static_cast<std::size_t>(i)], sizeof(T)) != 0) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    const long long bound = MaxDeclaredCount(text.size());
    const int count = static_cast<int>((data[0] | (data[1] << 8)) % (bound + 1));

    TFloatArray floats;
    ParseFloatArray(floats, text, count);
    CheckAgainstStream(floats, text, count);
    TIntArray ints;
    ParseIntArray(ints, text, count);
    CheckAgainstStream(ints, text, count);
    return 0;
}
