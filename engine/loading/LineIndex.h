// Where the lines of a parsed document start, taken from the bytes that were parsed, so that a line number
// never needs the file opened again. Documents of long lines (big number arrays often sit on a handful of
// lines) keep the list of their line ends: at most an eighth of the text, usually next to nothing. Once line
// ends are denser than one in 64 bytes the list turns into one bit per position with a running count every
// 64 positions: under a fifth of the text, and a line number in constant time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// How the parsed bytes were stored in the file. A document not in UTF-8 is converted before parsing, and
// positions then count bytes of the UTF-8 text, so line ends are marked at those positions.
enum class TTextEncoding { Utf8, Utf16Le, Utf16Be, Utf32Le, Utf32Be, Latin1 };

class TLineIndex {
public:
    void Clear();
    void Build(std::span<const char> stored, TTextEncoding encoding);

    // The 1-based line holding the given position.
    int LineAt(std::size_t position) const;
    // The 1-based column of the position within its line, counted in bytes.
    std::size_t ColumnAt(std::size_t position) const;
    // What the index holds in memory.
    std::size_t MemoryBytes() const {
        return LineEndList.capacity() * sizeof(LineEndList[0]) + LineEnds.capacity() * sizeof(LineEnds[0]) +
               LineEndsBefore.capacity() * sizeof(LineEndsBefore[0]);
    }

private:
    void MarkLineEnd(std::size_t position);
    void MarkAsBits(std::size_t position);
    void CountLineEnds();
    bool IsLineEnd(std::size_t position) const;

    std::size_t ListLimit = 0;                  // line ends kept as a list before bits are cheaper
    std::vector<std::size_t> LineEndList;       // every line end in order, while the list is in use
    std::vector<std::uint64_t> LineEnds;        // bit p set: position p holds '\n'
    std::vector<std::uint32_t> LineEndsBefore;  // line ends before each 64-position word
};
