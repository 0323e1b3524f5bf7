// The inputs of a primitive block: which index slot of a corner feeds which drawn stream, through which
// source. <vertices> stands for its own inputs at the slot of the block's VERTEX input.
#pragma once

#include <array>
#include <cstddef>

#include "LoadNotes.h"
#include "Sources.h"
#include "XmlDocument.h"

enum class TSemantic { Position, Normal, TexCoord, Color };
inline constexpr std::size_t SemanticCount = 4;

struct TStreamInput {
    const TAccessor* Source = nullptr;  // none when the block does not give the stream
    std::size_t Offset = 0;             // the slot of each corner that indexes it
};

struct TBlockInputs {
    std::array<TStreamInput, SemanticCount> Streams;  // by TSemantic
    std::size_t Stride = 1;                           // index slots per corner: the greatest offset, plus one

    const TStreamInput& operator[](TSemantic semantic) const { return Streams[static_cast<std::size_t>(semantic)]; }
};

// Reads the <input> children of a block. Of several texture coordinate sets the lowest is drawn; the others,
// and a block without positions, are noted.
TBlockInputs ReadBlockInputs(const TXmlNode& block, const TXmlNode& vertices, TMeshSources& sources, TLoadNotes* notes);
