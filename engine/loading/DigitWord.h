// Eight bytes of number text read as one little-endian word, so that a run of up to eight digits is measured
// and converted at once instead of a byte at a time. The loader's integer reader and the benchmarks' floor
// reader share these, so that the floor measures the same trick.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace DigitWord {

// The eight bytes at `text`, the first in the lowest byte of the word. Needs eight readable bytes.
inline std::uint64_t Load(const char* text) {
    std::uint64_t word;
    std::memcpy(&word, text, sizeof word);
    return word;
}

// How many of the word's bytes, from its first, are digits: 0 to 8.
inline int LeadingDigits(std::uint64_t word) {
    // A byte is a digit when its high nibble is 3 and adding 6 leaves it 3. Carries only leave a byte above
    // 0xF9, which is no digit, so the first byte that is not one is found exactly.
    constexpr std::uint64_t High = 0xF0F0F0F0F0F0F0F0;
    const std::uint64_t nibbles = (word & High) | (((word + 0x0606060606060606) & High) >> 4);
    const std::uint64_t notDigits = nibbles ^ 0x3333333333333333;
    return notDigits == 0 ? 8 : std::countr_zero(notDigits) / 8;
}

// The value of the word's first `length` bytes, which must be 1 to 8 digits: shifted up so that the bytes
// past the run drop out and leading zeros fill in, then combined in pairs, fours and eights.
inline std::uint32_t Value(std::uint64_t word, int length) {
    std::uint64_t v = (word - 0x3030303030303030) << (8 * (8 - length));
    v = (v * 10) + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return static_cast<std::uint32_t>(v);
}

}  // namespace DigitWord
