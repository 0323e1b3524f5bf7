// The streams of a mesh as documents carry them: each is a <source> whose id is the geometry's name followed
// by the stream's suffix, and each corner of a primitive gives one index per stream present, in the order of
// this table. The loader finds the sources by these suffixes and fills its streams in this order; the writers
// write them so; the tests and benchmarks build their documents from it.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

enum class TStreamKind { Positions, Normals, TexCoords, Colors };

struct TStreamConvention {
    TStreamKind Kind;
    std::string_view Suffix;    // appended to the geometry's name to make the source's id (case-sensitive)
    std::string_view Semantic;  // of the primitive's <input> that reads the stream
    std::string_view Params;    // the accessor's parameter names, one letter per component

    constexpr int Components() const { return static_cast<int>(Params.size()); }
};

// In the order in which each corner's index slots take the streams present.
inline constexpr std::array<TStreamConvention, 4> StreamConventions{{
    {TStreamKind::Positions, "-Position", "VERTEX", "XYZ"},
    {TStreamKind::Normals, "-Normals", "NORMAL", "XYZ"},
    {TStreamKind::TexCoords, "-UV", "TEXCOORD", "ST"},
    {TStreamKind::Colors, "-color", "COLOR", "RGBA"},
}};

constexpr const TStreamConvention& StreamConvention(TStreamKind kind) {
    return StreamConventions[static_cast<std::size_t>(kind)];
}

static_assert(
    [] {
        for (std::size_t i = 0; i < StreamConventions.size(); ++i)
            if (static_cast<std::size_t>(StreamConventions[i].Kind) != i) return false;
        return true;
    }(),
    "the table is indexed by its kinds");
