// The formats the door reads through the model library, and how a file is known to be of one: by its extension,
// and, where the format has one, by the signature its first bytes must carry. Any other file is refused by name
// before a byte of it reaches the library: its readers of the rarer formats loop for ever or allocate without
// bound on files of a few dozen bytes, and a renamed file must not reach a reader it was not named for.
//
// The formats read, and why:
//   glTF 2 (.gltf, .glb)  what current tools export and users download; a strict JSON or binary layout
//   OBJ, STL, PLY         the plain mesh formats of scanners, printers and modellers
//   3DS, FBX              what older and commercial modellers write; the library's readers check their chunks
//   COLLADA (.dae)        documents the engine's own COLLADA reader does not take yet
// Their readers still misbehave on hostile files (the PLY reader loops on a truncated header, the glTF reader
// allocates what a sparse accessor declares): the worker's time and memory limits contain them. Readers of
// game and legacy formats (SMD, OGEX, MD2/3/5, X, LWO, ...) are left off: few users bring them, and the ones
// tried loop or blow up on tiny files as readily as those kept while adding little.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class EModelFormat { Gltf, Glb, Obj, Stl, Ply, Max3ds, Fbx, Collada };

// The bytes from the start of a file that JudgeModelFormat needs to see.
inline constexpr std::size_t FormatSignatureBytes = 84;

struct TFormatVerdict {
    std::optional<EModelFormat> Format;
    // When no format: why, in words that follow "FILE: " (".smd files are not read (the formats read: ...)").
    std::string Refusal;
};

// The format of a file of this name, size and first bytes (FormatSignatureBytes of them, or all it has).
TFormatVerdict JudgeModelFormat(std::string_view fileName, std::span<const unsigned char> firstBytes,
                                std::uint64_t fileSize);

// The name of the model library's reader for the format: the only reader the worker lets see the file.
const char* LibraryReaderOf(EModelFormat format);
