#include "LineIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

std::size_t Utf8Length(std::uint32_t codePoint) {
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

std::uint32_t Unit16(const unsigned char* at, bool bigEndian) {
    return bigEndian ? (at[0] << 8 | at[1]) : (at[1] << 8 | at[0]);
}

std::uint32_t Unit32(const unsigned char* at, bool bigEndian) {
    return bigEndian ? (std::uint32_t(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3])
                     : (std::uint32_t(at[3]) << 24 | at[2] << 16 | at[1] << 8 | at[0]);
}

}  // namespace

void TLineIndex::Clear() {
    ListLimit = 0;
    LineEndList = {};
    LineEnds = {};
    LineEndsBefore = {};
}

// Positions only grow, so the list stays sorted.
void TLineIndex::MarkLineEnd(std::size_t position) {
    if (LineEnds.empty() && LineEndList.size() < ListLimit) {
        LineEndList.push_back(position);
        return;
    }
    if (LineEnds.empty()) {
        for (const std::size_t listed : LineEndList) MarkAsBits(listed);
        LineEndList = {};
    }
    MarkAsBits(position);
}

void TLineIndex::MarkAsBits(std::size_t position) {
    if (position / 64 >= LineEnds.size()) LineEnds.resize(position / 64 + 1);
    LineEnds[position / 64] |= std::uint64_t(1) << (position % 64);
}

bool TLineIndex::IsLineEnd(std::size_t position) const {
    if (LineEnds.empty()) return std::binary_search(LineEndList.begin(), LineEndList.end(), position);
    return position / 64 < LineEnds.size() && (LineEnds[position / 64] >> (position % 64) & 1);
}

void TLineIndex::CountLineEnds() {
    if (LineEnds.empty()) return;
    LineEndsBefore.resize(LineEnds.size());
    std::uint32_t count = 0;
    for (std::size_t word = 0; word < LineEnds.size(); ++word) {
        LineEndsBefore[word] = count;
        count += static_cast<std::uint32_t>(std::popcount(LineEnds[word]));
    }
}

// The conversions mirror the parser's: a UTF-16 surrogate without its partner yields nothing, every other
// unit its code point, each written as UTF-8.
void TLineIndex::Build(std::span<const char> stored, TTextEncoding encoding) {
    Clear();
    const auto* bytes = reinterpret_cast<const unsigned char*>(stored.data());
    const std::size_t size = stored.size();
    std::size_t position = 0;
    // A list entry costs as much as 64 bits: past one line end per 64 positions, bits cost less. Converted
    // text is at most twice as long as the stored one.
    ListLimit = (encoding == TTextEncoding::Utf8 ? size : size * 2) / 64;
    switch (encoding) {
    case TTextEncoding::Utf8:
        for (const unsigned char* at = bytes;
             (at = static_cast<const unsigned char*>(std::memchr(at, '\n', size - std::size_t(at - bytes)))); ++at)
            MarkLineEnd(std::size_t(at - bytes));
        break;
    case TTextEncoding::Latin1:
        for (std::size_t i = 0; i < size; ++i) {
            if (bytes[i] == '\n') MarkLineEnd(position);
            position += bytes[i] < 0x80 ? 1 : 2;
        }
        break;
    case TTextEncoding::Utf16Le:
    case TTextEncoding::Utf16Be: {
        const bool bigEndian = encoding == TTextEncoding::Utf16Be;
        for (std::size_t i = 0; i + 1 < size;) {
            const std::uint32_t lead = Unit16(bytes + i, bigEndian);
            i += 2;
            if (lead >= 0xD800 && lead < 0xDC00) {
                if (i + 1 < size && (Unit16(bytes + i, bigEndian) & 0xFC00) == 0xDC00) {
                    i += 2;
                    position += 4;
                }
            } else if (lead < 0xDC00 || lead >= 0xE000) {
                if (lead == '\n') MarkLineEnd(position);
                position += Utf8Length(lead);
            }
        }
        break;
    }
    case TTextEncoding::Utf32Le:
    case TTextEncoding::Utf32Be: {
        const bool bigEndian = encoding == TTextEncoding::Utf32Be;
        for (std::size_t i = 0; i + 3 < size; i += 4) {
            const std::uint32_t codePoint = Unit32(bytes + i, bigEndian);
            if (codePoint == '\n') MarkLineEnd(position);
            position += Utf8Length(codePoint);
        }
        break;
    }
    }
    CountLineEnds();
}

int TLineIndex::LineAt(std::size_t position) const {
    if (LineEnds.empty())
        return static_cast<int>(std::lower_bound(LineEndList.begin(), LineEndList.end(), position) -
                                LineEndList.begin() + 1);
    const std::size_t word = position / 64;
    if (word >= LineEnds.size())
        return LineEnds.empty() ? 1 : static_cast<int>(LineEndsBefore.back() + std::popcount(LineEnds.back()) + 1);
    const std::uint64_t before = LineEnds[word] & ((std::uint64_t(1) << (position % 64)) - 1);
    return static_cast<int>(LineEndsBefore[word] + std::popcount(before) + 1);
}

std::size_t TLineIndex::ColumnAt(std::size_t position) const {
    if (LineEnds.empty()) {
        const auto next = std::lower_bound(LineEndList.begin(), LineEndList.end(), position);
        return next == LineEndList.begin() ? position + 1 : position - *(next - 1);
    }
    std::size_t start = position;
    while (start > 0 && !IsLineEnd(start - 1)) --start;
    return position - start + 1;
}
