#include "ModelFormats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace {

using TBytes = std::span<const unsigned char>;

bool StartsWith(TBytes bytes, std::string_view text) {
    return bytes.size() >= text.size() && std::memcmp(bytes.data(), text.data(), text.size()) == 0;
}

// The first byte that is not white space (after a UTF-8 byte-order mark), or -1 when there is none.
int FirstTextByte(TBytes bytes) {
    std::size_t at = StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && std::isspace(bytes[at])) ++at;
    return at < bytes.size() ? bytes[at] : -1;
}

bool IsText(TBytes bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](unsigned char c) { return c >= 0x20 || std::isspace(c); });
}

std::uint32_t LittleEndian32(TBytes bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
}

bool IsGltfText(TBytes bytes, std::uint64_t) { return FirstTextByte(bytes) == '{'; }
bool IsGlb2(TBytes bytes, std::uint64_t) {
    return StartsWith(bytes, "glTF") && bytes.size() >= 8 && LittleEndian32(bytes, 4) == 2;
}
bool IsObj(TBytes bytes, std::uint64_t) { return IsText(bytes); }

// Text that starts with "solid", or 80 bytes of header, a triangle count and 50 bytes for each triangle.
bool IsStl(TBytes bytes, std::uint64_t size) {
    if (StartsWith(bytes, "solid") && IsText(bytes)) return true;
    return bytes.size() >= 84 && size >= 84 + 50 * std::uint64_t{LittleEndian32(bytes, 80)};
}

bool IsPly(TBytes bytes, std::uint64_t) { return StartsWith(bytes, "ply\n") || StartsWith(bytes, "ply\r\n"); }
bool Is3ds(TBytes bytes, std::uint64_t) { return StartsWith(bytes, "\x4D\x4D"); }
bool IsFbx(TBytes bytes, std::uint64_t) {
    return StartsWith(bytes, std::string_view("Kaydara FBX Binary  \0", 21)) || IsText(bytes);
}

struct TFormatRow {
    EModelFormat Format;
    const char* Extension;
    const char* LibraryReader;
    bool (*HasSignature)(TBytes, std::uint64_t);
    const char* WithoutSignature;
};

// One row a format; taking a row out stops the door from reading that format through the library.
constexpr std::array Formats{
    TFormatRow{EModelFormat::Gltf, ".gltf", "glTF2 Importer", IsGltfText, "not a glTF file (it is not JSON text)"},
    TFormatRow{EModelFormat::Glb, ".glb", "glTF2 Importer", IsGlb2, "not a binary glTF file of version 2"},
    TFormatRow{EModelFormat::Obj, ".obj", "Wavefront Object Importer", IsObj, "not an OBJ file (it is not text)"},
    TFormatRow{EModelFormat::Stl, ".stl", "Stereolithography (STL) Importer", IsStl,
               "not an STL file (neither text starting \"solid\" nor 50 bytes for each triangle it declares)"},
    TFormatRow{EModelFormat::Ply, ".ply", "Stanford Polygon Library (PLY) Importer", IsPly,
               "not a PLY file (it does not start with \"ply\")"},
    TFormatRow{EModelFormat::Max3ds, ".3ds", "Discreet 3DS Importer", Is3ds, "not a 3DS file (no main chunk)"},
    TFormatRow{EModelFormat::Fbx, ".fbx", "Autodesk FBX Importer", IsFbx,
               "not an FBX file (neither its binary signature nor text)"},
};

std::string LowerExtension(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    std::string extension(base.substr(dot));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::string FormatsRead() {
    std::string list;
    for (const TFormatRow& row : Formats) list += (list.empty() ? "" : ", ") + std::string(row.Extension);
    return list;
}

}  // namespace

TFormatVerdict JudgeModelFormat(std::string_view fileName, std::span<const unsigned char> firstBytes,
                                std::uint64_t fileSize) {
    const std::string extension = LowerExtension(fileName);
    const auto row =
        std::find_if(Formats.begin(), Formats.end(), [&](const TFormatRow& r) { return extension == r.Extension; });
    if (row == Formats.end()) {
        const std::string what = extension.empty() ? "files without an extension" : extension + " files";
        return {std::nullopt, what + " are not read (the formats read: " + FormatsRead() + ")"};
    }
    if (fileSize == 0) return {std::nullopt, "the file is empty"};
    const TBytes head = firstBytes.first(std::min(firstBytes.size(), FormatSignatureBytes));
    if (!row->HasSignature(head, fileSize)) return {std::nullopt, row->WithoutSignature};
    return {row->Format, {}};
}

const char* LibraryReaderOf(EModelFormat format) {
    const auto row =
        std::find_if(Formats.begin(), Formats.end(), [&](const TFormatRow& r) { return r.Format == format; });
    return row == Formats.end() ? "" : row->LibraryReader;
}
