#include "DecimalCommas.h"

#include <algorithm>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::string_view WithDecimalPoints(std::string_view text, std::string& storage) {
    std::size_t first = 0;
    while (first < text.size() && IsSpace(text[first])) ++first;
    std::size_t last = first;
    bool comma = false, point = false;
    for (; last < text.size() && !IsSpace(text[last]); ++last) {
        comma = comma || text[last] == ',';
        point = point || text[last] == '.';
    }
    if (!comma || point) return text;
    storage.assign(text);
    std::replace(storage.begin(), storage.end(), ',', '.');
    return storage;
}
