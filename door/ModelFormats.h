// The formats the door reads through the model library, and how a file is known to be of one: by its extension,
// and, where the format has one, by the signature its first bytes must carry. Any other file is refused by name
// before a byte of it reaches the library, and a renamed file never reaches a reader it was not named for. Why
// these formats and no others: the worker's header comment (worker/main.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class EModelFormat { Gltf, Glb, Obj, Stl, Ply, Max3ds, Fbx };

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
