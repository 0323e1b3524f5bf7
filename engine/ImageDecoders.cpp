#include "ImageDecoders.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

#include "FileRead.h"
#include "MessageText.h"

// The bitmap decoder is compiled here, restricted to what this file accepts: bitmaps only, from memory only,
// no side longer than ours. Its own code is not held to our warning flags.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#pragma GCC diagnostic pop

static_assert(STBI_MAX_DIMENSIONS == MaxImageSide);

namespace {

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
    throw TImageError(FileMessage(fileName, reason));
}

std::string SizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// Both decoders check the declared size with this before any pixel is allocated.
void CheckImageSize(long long width, long long height, const std::string& fileName) {
    if (width <= 0 || height <= 0)
        Fail(fileName, "empty image (" + SizeText(width, height) + ")");
    if (width > MaxImageSide || height > MaxImageSide)
        Fail(fileName, "image of " + SizeText(width, height) + " has a side longer than " +
                           std::to_string(MaxImageSide));
    if (width * height > MaxImagePixels)
        Fail(fileName, "image of " + SizeText(width, height) + " has more than " +
                           std::to_string(MaxImagePixels) + " pixels");
}

// ---------------------------------------------------------------------------------------------------------
// Windows bitmaps. The library decoder reads past the end of its buffer as zeros, takes abs() of the height
// and leaves palette entries it did not read uninitialised, so every such case is refused here first.

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t BitfieldMasksSize = 12;
constexpr std::uint32_t CompressionNone = 0, CompressionRle8 = 1, CompressionRle4 = 2, CompressionBitfields = 3;

std::uint32_t Read16(std::span<const unsigned char> bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8);
}

std::uint32_t Read32(std::span<const unsigned char> bytes, std::size_t at) {
    return Read16(bytes, at) | (Read16(bytes, at + 2) << 16);
}

struct TBmpLayout {
    long long Width = 0;
    long long Rows = 0;
    int BitsPerPixel = 0;
    std::size_t PixelOffset = 0;
    std::size_t RowStride = 0;  // bytes per row in the file, padded to 4
    std::size_t PaletteEntries = 0;
};

bool IsKnownHeaderSize(std::uint32_t size) {
    return size == 12 || size == 40 || size == 56 || size == 108 || size == 124;
}

void CheckBitDepth(int bits, std::uint32_t headerSize, std::uint32_t compression, const std::string& fileName) {
    const bool core = headerSize == 12;
    if (core && bits != 24)
        Fail(fileName, "core bitmap header with " + std::to_string(bits) + " bits per pixel is not supported");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Fail(fileName, std::to_string(bits) + " bits per pixel is not supported");
    if (compression == CompressionRle8 || compression == CompressionRle4)
        Fail(fileName, "RLE-compressed bitmaps are not supported");
    if (compression == CompressionBitfields && bits != 16 && bits != 32)
        Fail(fileName, "bit-field masks with " + std::to_string(bits) + " bits per pixel");
    if (compression != CompressionNone && compression != CompressionBitfields)
        Fail(fileName, "compression " + std::to_string(compression) + " is not supported");
}

// Reads and checks the headers; on return the whole pixel array is known to lie inside `bytes`.
TBmpLayout ReadBmpLayout(std::span<const unsigned char> bytes, const std::string& fileName) {
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')
        Fail(fileName, "not a BMP file");
    if (bytes.size() < FileHeaderSize + 4)
        Fail(fileName, "truncated BMP header");
    const std::uint32_t headerSize = Read32(bytes, 14);
    if (!IsKnownHeaderSize(headerSize))
        Fail(fileName, "unknown BMP header size " + std::to_string(headerSize));
    if (bytes.size() < FileHeaderSize + headerSize)
        Fail(fileName, "truncated BMP header");

    const bool core = headerSize == 12;
    TBmpLayout layout;
    std::int32_t height = 0;
    if (core) {
        layout.Width = Read16(bytes, 18);
        height = static_cast<std::int32_t>(Read16(bytes, 20));
    } else {
        layout.Width = static_cast<std::int32_t>(Read32(bytes, 18));
        height = static_cast<std::int32_t>(Read32(bytes, 22));
    }
    const std::size_t planesAt = core ? 22 : 26;
    if (Read16(bytes, planesAt) != 1)
        Fail(fileName, "BMP plane count is not 1");
    layout.BitsPerPixel = static_cast<int>(Read16(bytes, planesAt + 2));
    const std::uint32_t compression = core ? CompressionNone : Read32(bytes, 30);
    CheckBitDepth(layout.BitsPerPixel, headerSize, compression, fileName);

    // A negative height marks a top-down bitmap; widened before negation, so INT_MIN stays an error.
    layout.Rows = height < 0 ? -static_cast<long long>(height) : height;
    CheckImageSize(layout.Width, layout.Rows, fileName);

    // The library reads three masks after a 40- or 56-byte header, and expects the pixels right after
    // whatever it has read (plus the palette, for 8 bits or fewer).
    std::size_t headersEnd = FileHeaderSize + headerSize;
    if (compression == CompressionBitfields && (headerSize == 40 || headerSize == 56))
        headersEnd += BitfieldMasksSize;
    layout.PixelOffset = Read32(bytes, 10);
    if (layout.PixelOffset < headersEnd || layout.PixelOffset > bytes.size())
        Fail(fileName, "BMP pixel offset " + std::to_string(layout.PixelOffset) + " outside " +
                           std::to_string(headersEnd) + ".." + std::to_string(bytes.size()));
    if (layout.BitsPerPixel <= 8) {
        layout.PaletteEntries = (layout.PixelOffset - headersEnd) / 4;
        if (layout.PaletteEntries == 0 || layout.PaletteEntries > 256)
            Fail(fileName, "BMP palette of " + std::to_string(layout.PaletteEntries) + " entries");
    } else if (layout.PixelOffset != headersEnd) {
        Fail(fileName, "BMP pixel offset " + std::to_string(layout.PixelOffset) + " is not " +
                           std::to_string(headersEnd));
    }

    const long long rowBits = layout.Width * layout.BitsPerPixel;
    layout.RowStride = static_cast<std::size_t>((rowBits + 31) / 32 * 4);
    const std::size_t pixelBytes = layout.RowStride * static_cast<std::size_t>(layout.Rows);
    if (bytes.size() - layout.PixelOffset < pixelBytes)
        Fail(fileName, "truncated BMP pixel data (" + std::to_string(bytes.size() - layout.PixelOffset) +
                           " of " + std::to_string(pixelBytes) + " bytes)");
    return layout;
}

// The library looks up every index in a 256-entry table of which it filled only the palette's entries.
void CheckPaletteIndices(std::span<const unsigned char> bytes, const TBmpLayout& layout,
                         const std::string& fileName) {
    const int bits = layout.BitsPerPixel;
    const unsigned mask = (1u << bits) - 1;
    for (long long row = 0; row < layout.Rows; ++row) {
        const unsigned char* line = bytes.data() + layout.PixelOffset + row * layout.RowStride;
        for (long long column = 0; column < layout.Width; ++column) {
            const long long bit = column * bits;
            const unsigned index = (line[bit / 8] >> (8 - bits - bit % 8)) & mask;
            if (index >= layout.PaletteEntries)
                Fail(fileName, "BMP palette index " + std::to_string(index) + " past the palette's " +
                                   std::to_string(layout.PaletteEntries) + " entries");
        }
    }
}

struct TStbFree {
    void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};

// ---------------------------------------------------------------------------------------------------------
// JPEG. libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// setjmp of the step that was running, and the step's caller raises the exception once it is out of C code.

constexpr int MaxScans = 100;
// A guard behind the size limits: the largest accepted image, progressive with three full-size components,
// keeps about 400 MB of coefficients, so only a file that gets past those limits some other way reaches it.
constexpr long JpegMemoryLimit = 512L << 20;

struct TJpegErrors {
    jpeg_error_mgr Base;  // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegStop(j_common_ptr info, const char* reason) {
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    std::snprintf(errors->Message, sizeof errors->Message, "%s", reason);
    std::longjmp(errors->Jump, 1);
}

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    char reason[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, reason);
    JpegStop(info, reason);
}

// Warnings about missing or corrupt entropy-coded data mean libjpeg has padded the picture with made-up
// samples: those are errors here. The rest (stray bytes between markers, unknown marker versions) are not.
void JpegEmitMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
        JpegErrorExit(info);
    default:
        ++info->err->num_warnings;
    }
}

void JpegProgress(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= MaxScans)
        return;
    char reason[64];
    std::snprintf(reason, sizeof reason, "JPEG image with more than %d scans", MaxScans);
    JpegStop(info, reason);
}

// One decompressor and its error manager, destroyed on every path out.
class TJpegSession {
public:
    TJpegSession() {
        Info.err = jpeg_std_error(&Errors.Base);
        Errors.Base.error_exit = JpegErrorExit;
        Errors.Base.emit_message = JpegEmitMessage;
        Progress.progress_monitor = JpegProgress;
    }
    ~TJpegSession() { jpeg_destroy_decompress(&Info); }
    TJpegSession(const TJpegSession&) = delete;
    TJpegSession& operator=(const TJpegSession&) = delete;

    // Runs one step of plain libjpeg calls; false when libjpeg raised an error, whose text is in Message().
    // A step must hold nothing that needs destroying, since an error jumps over it.
    template <typename Step>
    bool Run(Step step) {
        if (setjmp(Errors.Jump))
            return false;
        step();
        return true;
    }
    const char* Message() const { return Errors.Message; }

    jpeg_decompress_struct Info{};
    jpeg_progress_mgr Progress{};

private:
    TJpegErrors Errors{};
};

void CheckJpegColourSpace(J_COLOR_SPACE space, const std::string& fileName) {
    switch (space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        return;
    case JCS_CMYK:
        Fail(fileName, "CMYK JPEG images are not supported");
    case JCS_YCCK:
        Fail(fileName, "YCCK JPEG images are not supported");
    default:
        Fail(fileName, "JPEG colour space " + std::to_string(space) + " is not supported");
    }
}

}  // namespace

TDecodedImage DecodeBmp(std::span<const unsigned char> bytes, const std::string& fileName) {
    const TBmpLayout layout = ReadBmpLayout(bytes, fileName);
    if (layout.BitsPerPixel <= 8)
        CheckPaletteIndices(bytes, layout, fileName);

    // Only the headers and the pixel array go to the library, which keeps the length within its int.
    const std::size_t used = layout.PixelOffset + layout.RowStride * static_cast<std::size_t>(layout.Rows);
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, TStbFree> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(used), &width, &height, &channels, 3));
    if (!pixels)
        Fail(fileName, std::string("BMP not decoded: ") + stbi_failure_reason());
    if (width != layout.Width || height != layout.Rows)
        Fail(fileName, "BMP decoded as " + SizeText(width, height) + " instead of " +
                           SizeText(layout.Width, layout.Rows));

    TDecodedImage image{width, height, {}};
    image.Rgb.assign(pixels.get(), pixels.get() + std::size_t(width) * std::size_t(height) * 3);
    return image;
}

TDecodedImage DecodeJpeg(std::span<const unsigned char> bytes, const std::string& fileName) {
    TJpegSession session;
    jpeg_decompress_struct& info = session.Info;
    const auto fail = [&] { Fail(fileName, session.Message()); };

    if (!session.Run([&] {
            jpeg_create_decompress(&info);
            info.mem->max_memory_to_use = JpegMemoryLimit;
            info.progress = &session.Progress;  // after the create, which clears the struct
            jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
            jpeg_read_header(&info, TRUE);
        }))
        fail();
    CheckImageSize(info.image_width, info.image_height, fileName);
    CheckJpegColourSpace(info.jpeg_color_space, fileName);
    info.out_color_space = JCS_RGB;
    info.scale_num = info.scale_denom = 1;

    if (!session.Run([&] { jpeg_start_decompress(&info); }))
        fail();
    if (info.output_components != 3 || info.output_width != info.image_width ||
        info.output_height != info.image_height)
        Fail(fileName, "JPEG decoder gave an unexpected output layout");

    TDecodedImage image{int(info.output_width), int(info.output_height), {}};
    const std::size_t stride = std::size_t(image.Width) * 3;
    image.Rgb.resize(stride * std::size_t(image.Height));
    unsigned char* const rgb = image.Rgb.data();
    if (!session.Run([&] {
            while (info.output_scanline < info.output_height) {
                JSAMPROW row = rgb + std::size_t(info.output_scanline) * stride;
                if (jpeg_read_scanlines(&info, &row, 1) != 1)
                    JpegStop(reinterpret_cast<j_common_ptr>(&info), "JPEG data ended early");
            }
            jpeg_finish_decompress(&info);
        }))
        fail();
    return image;
}

TDecodedImage DecodeBmpFile(const std::string& fileName) {
    return DecodeBmp(ReadWholeFile(fileName), fileName);
}

TDecodedImage DecodeJpegFile(const std::string& fileName) {
    return DecodeJpeg(ReadWholeFile(fileName), fileName);
}
