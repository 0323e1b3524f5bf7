#include "ImageDecoders.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include <jerror.h>
#include <jpeglib.h>

#include "FileRead.h"
#include "MessageText.h"

#include "StbImage.h"

namespace {

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
    throw TImageError(FileMessage(fileName, reason));
}

std::string SizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

}  // namespace

void CheckImageSize(long long width, long long height, const std::string& fileName, long long maxPixels) {
    if (width <= 0 || height <= 0) Fail(fileName, "empty image (" + SizeText(width, height) + ")");
    if (width > MaxImageSide || height > MaxImageSide)
        Fail(fileName,
             "image of " + SizeText(width, height) + " has a side longer than " + std::to_string(MaxImageSide));
    if (width * height > MaxImagePixels)
        Fail(fileName,
             "image of " + SizeText(width, height) + " has more than " + std::to_string(MaxImagePixels) + " pixels");
    if (width * height > maxPixels)
        Fail(fileName, "image of " + SizeText(width, height) + " exceeds the " +
                           std::to_string(std::max(maxPixels, 0LL)) + " pixels left of the texture budget");
}

namespace {

// ---------------------------------------------------------------------------------------------------------
// Windows bitmaps. The library decoder reads past the end of its buffer as zeros, takes abs() of the height
// and leaves palette entries it did not read uninitialised, so every such case is refused here first.

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t BitfieldMasksSize = 12;
constexpr std::uint32_t CompressionNone = 0, CompressionRle8 = 1, CompressionRle4 = 2, CompressionBitfields = 3;

std::uint32_t Read16(std::span<const unsigned char> bytes, std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); }

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

// Reads and checks the headers, which `bytes` holds from the file's start; on return the whole pixel array is
// known to lie inside a file of `fileSize` bytes.
TBmpLayout ReadBmpLayout(std::span<const unsigned char> bytes, std::size_t fileSize, const std::string& fileName,
                         long long maxPixels) {
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') Fail(fileName, "not a BMP file");
    if (bytes.size() < FileHeaderSize + 4) Fail(fileName, "truncated BMP header");
    const std::uint32_t headerSize = Read32(bytes, 14);
    if (!IsKnownHeaderSize(headerSize)) Fail(fileName, "unknown BMP header size " + std::to_string(headerSize));
    if (bytes.size() < FileHeaderSize + headerSize) Fail(fileName, "truncated BMP header");

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
    if (Read16(bytes, planesAt) != 1) Fail(fileName, "BMP plane count is not 1");
    layout.BitsPerPixel = static_cast<int>(Read16(bytes, planesAt + 2));
    const std::uint32_t compression = core ? CompressionNone : Read32(bytes, 30);
    CheckBitDepth(layout.BitsPerPixel, headerSize, compression, fileName);

    // A negative height marks a top-down bitmap; widened before negation, so INT_MIN stays an error.
    layout.Rows = height < 0 ? -static_cast<long long>(height) : height;
    CheckImageSize(layout.Width, layout.Rows, fileName, maxPixels);

    // The library reads three masks after a 40- or 56-byte header, and expects the pixels right after
    // whatever it has read (plus the palette, for 8 bits or fewer).
    std::size_t headersEnd = FileHeaderSize + headerSize;
    if (compression == CompressionBitfields && (headerSize == 40 || headerSize == 56)) headersEnd += BitfieldMasksSize;
    layout.PixelOffset = Read32(bytes, 10);
    if (layout.PixelOffset < headersEnd || layout.PixelOffset > fileSize)
        Fail(fileName, "BMP pixel offset " + std::to_string(layout.PixelOffset) + " outside " +
                           std::to_string(headersEnd) + ".." + std::to_string(fileSize));
    if (layout.BitsPerPixel <= 8) {
        layout.PaletteEntries = (layout.PixelOffset - headersEnd) / 4;
        if (layout.PaletteEntries == 0 || layout.PaletteEntries > 256)
            Fail(fileName, "BMP palette of " + std::to_string(layout.PaletteEntries) + " entries");
    } else if (layout.PixelOffset != headersEnd) {
        Fail(fileName,
             "BMP pixel offset " + std::to_string(layout.PixelOffset) + " is not " + std::to_string(headersEnd));
    }

    const long long rowBits = layout.Width * layout.BitsPerPixel;
    layout.RowStride = static_cast<std::size_t>((rowBits + 31) / 32 * 4);
    const std::size_t pixelBytes = layout.RowStride * static_cast<std::size_t>(layout.Rows);
    if (fileSize - layout.PixelOffset < pixelBytes)
        Fail(fileName, "truncated BMP pixel data (" + std::to_string(fileSize - layout.PixelOffset) + " of " +
                           std::to_string(pixelBytes) + " bytes)");
    return layout;
}

// The library looks up every index in a 256-entry table of which it filled only the palette's entries.
void CheckPaletteIndices(std::span<const unsigned char> bytes, const TBmpLayout& layout, const std::string& fileName) {
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
    if (level >= 0) return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC: JpegErrorExit(info);
    default: ++info->err->num_warnings;
    }
}

// Runs of empty bands let a few bytes of coded data cover thousands of blocks, so decoding costs a pass over
// every block of every scan whatever the data holds. Real images, even flat ones of a dozen scans, stay far
// below this many block passes per byte of their file.
constexpr long long MaxBlockPassesPerByte = 128;

// The decoding work allowed for one file, counted scan by scan as libjpeg reaches each: a guard behind the
// checks made on the markers before decoding, for whatever they could not follow.
struct TJpegProgress {
    jpeg_progress_mgr Base;  // first, so libjpeg's pointer to it is a pointer to the whole
    int LastScan = 0;
    long long BlockPasses = 0;
    long long MaxBlockPasses = 0;
};

void JpegProgress(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    auto* progress = reinterpret_cast<TJpegProgress*>(info->progress);
    char reason[128];
    if (decompress->input_scan_number > MaxJpegScans) {
        std::snprintf(reason, sizeof reason, "JPEG image with more than %d scans", MaxJpegScans);
        JpegStop(info, reason);
    }
    if (decompress->input_scan_number == progress->LastScan) return;
    progress->LastScan = decompress->input_scan_number;
    for (int c = 0; c < decompress->comps_in_scan && c < MAX_COMPS_IN_SCAN; ++c)
        if (const jpeg_component_info* component = decompress->cur_comp_info[c])
            progress->BlockPasses += static_cast<long long>(component->width_in_blocks) * component->height_in_blocks;
    if (progress->BlockPasses > progress->MaxBlockPasses) {
        std::snprintf(reason, sizeof reason, "JPEG image whose scans take more than %lld block passes",
                      progress->MaxBlockPasses);
        JpegStop(info, reason);
    }
}

// One decompressor and its error manager, destroyed on every path out.
class TJpegSession {
public:
    TJpegSession() {
        Info.err = jpeg_std_error(&Errors.Base);
        Errors.Base.error_exit = JpegErrorExit;
        Errors.Base.emit_message = JpegEmitMessage;
        Progress.Base.progress_monitor = JpegProgress;
    }
    ~TJpegSession() { jpeg_destroy_decompress(&Info); }
    TJpegSession(const TJpegSession&) = delete;
    TJpegSession& operator=(const TJpegSession&) = delete;

    // Runs one step of plain libjpeg calls; false when libjpeg raised an error, whose text is in Message().
    // A step must hold nothing that needs destroying, since an error jumps over it.
    template <typename Step>
    bool Run(Step step) {
        if (setjmp(Errors.Jump)) return false;
        step();
        return true;
    }
    const char* Message() const { return Errors.Message; }

    jpeg_decompress_struct Info{};
    TJpegProgress Progress{};

private:
    TJpegErrors Errors{};
};

void CheckJpegColourSpace(J_COLOR_SPACE space, const std::string& fileName) {
    switch (space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB: return;
    case JCS_CMYK: Fail(fileName, "CMYK JPEG images are not supported");
    case JCS_YCCK: Fail(fileName, "YCCK JPEG images are not supported");
    default: Fail(fileName, "JPEG colour space " + std::to_string(space) + " is not supported");
    }
}

// ---------------------------------------------------------------------------------------------------------
// What a JPEG file's markers declare, read before libjpeg decodes anything: the frame, and for every scan its
// components and the bytes of entropy-coded data that follow it. Decoding a scan costs a pass over every
// block of its components whatever the data holds, so a small file declaring a large image with many scans
// would cost seconds and hundreds of megabytes; these figures let such a file be refused first.

struct TJpegComponent {
    int Id = 0;
    int Horizontal = 1;
    int Vertical = 1;
    bool DcScanned = false;
};

struct TJpegStructure {
    bool Frame = false;
    bool Arithmetic = false;
    std::size_t FrameEnd = 0;  // the offset just past the frame header
    long long Width = 0;
    long long Height = 0;
    std::vector<TJpegComponent> Components;
    int Scans = 0;
    long long DcBlockBits = 0;  // the least entropy-coded bits that the scans' DC coefficients need
    int AcBeforeDc = -1;        // a component whose AC coefficients come before its DC ones, or -1
    long long BlockPasses = 0;  // blocks visited by all scans together: the work of decoding them
    std::size_t EntropyBytes = 0;
};

long long CeilDiv(long long value, long long divisor) { return (value + divisor - 1) / divisor; }

// The 8 x 8 blocks of a component: its sampled size, which the largest sampling factors scale to the image.
long long ComponentBlocks(const TJpegStructure& jpeg, const TJpegComponent& component) {
    int maxH = 1, maxV = 1;
    for (const TJpegComponent& c : jpeg.Components) {
        maxH = std::max(maxH, c.Horizontal);
        maxV = std::max(maxV, c.Vertical);
    }
    return CeilDiv(CeilDiv(jpeg.Width * component.Horizontal, maxH), 8) *
           CeilDiv(CeilDiv(jpeg.Height * component.Vertical, maxV), 8);
}

// Walks the markers as far as the bytes go. Anything it cannot follow ends the walk: libjpeg then reads the
// same bytes and reports what is wrong with them in its own words.
TJpegStructure ScanJpeg(std::span<const unsigned char> bytes) {
    TJpegStructure jpeg;
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return jpeg;
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        // Like libjpeg, skip whatever stray bytes come before the next marker, and its fill bytes.
        while (at < bytes.size() && bytes[at] != 0xFF) ++at;
        while (at + 1 < bytes.size() && bytes[at + 1] == 0xFF) ++at;
        if (at + 4 > bytes.size()) return jpeg;
        const unsigned marker = bytes[at + 1];
        if (marker == 0xD9) return jpeg;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const std::size_t length = std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        const std::size_t segment = at + 4;
        if (length < 2 || segment + length - 2 > bytes.size()) return jpeg;
        const std::span<const unsigned char> body = bytes.subspan(segment, length - 2);
        at = segment + length - 2;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && !jpeg.Frame && body.size() >= 6) {
            jpeg.Frame = true;
            jpeg.Arithmetic = marker >= 0xC9;
            jpeg.FrameEnd = at;
            jpeg.Height = body[1] << 8 | body[2];
            jpeg.Width = body[3] << 8 | body[4];
            for (std::size_t c = 0; c < body[5] && 6 + 3 * c + 2 < body.size(); ++c)
                jpeg.Components.push_back(
                    {body[6 + 3 * c], std::max(1, body[7 + 3 * c] >> 4), std::max(1, body[7 + 3 * c] & 0x0F)});
        } else if (marker == 0xDA && !body.empty()) {
            ++jpeg.Scans;
            const std::size_t count = body[0];
            const std::size_t spectralStartAt = 1 + 2 * count;
            const bool dc = spectralStartAt < body.size() && body[spectralStartAt] == 0;
            for (std::size_t c = 0; c < count && 1 + 2 * c < body.size(); ++c)
                for (TJpegComponent& component : jpeg.Components)
                    if (component.Id == body[1 + 2 * c]) {
                        const long long blocks = ComponentBlocks(jpeg, component);
                        jpeg.BlockPasses += blocks;
                        if (dc) jpeg.DcBlockBits += blocks;
                        if (!dc && !component.DcScanned && jpeg.AcBeforeDc < 0) jpeg.AcBeforeDc = component.Id;
                        component.DcScanned = component.DcScanned || dc;
                        break;
                    }
            // The entropy-coded data runs to the next marker that is not a stuffed byte or a restart.
            const std::size_t start = at;
            while (at + 1 < bytes.size() &&
                   !(bytes[at] == 0xFF && bytes[at + 1] != 0 && !(bytes[at + 1] >= 0xD0 && bytes[at + 1] <= 0xD7)))
                ++at;
            if (at + 1 >= bytes.size()) at = bytes.size();
            jpeg.EntropyBytes += at - start;
        }
    }
    return jpeg;
}

// The most entropy-coded data an image of the frame's size can hold: every sample of every scan coded with
// the longest Huffman code, with a byte stuffed after each. Far above any real file.
std::size_t LargestEntropyData(const TJpegStructure& jpeg) {
    long long blocks = 0;
    for (const TJpegComponent& component : jpeg.Components) blocks += ComponentBlocks(jpeg, component);
    return static_cast<std::size_t>(std::min(blocks * 64 * 4 * MaxJpegScans, MaxImageFileBytes));
}

long long MaxBlockPassesFor(std::size_t codedBytes) {
    return MaxBlockPassesPerByte * std::max<long long>(static_cast<long long>(codedBytes), 1024);
}

// Refuses, before any scan is decoded, a file with more scans than the limit, a progressive file that sends
// a component's AC coefficients before its DC ones (no encoder does; libjpeg only warns, and such scans let a
// few bytes stand for every block of a large image), and a Huffman-coded file whose entropy-coded data is too
// short to hold the DC coefficients it declares: every block of a DC scan takes at least one bit. (An
// arithmetic coder can code a block in less, so that last rule is not applied to it.) Last, a Huffman-coded
// file must not ask for far more block passes than its data could stand for.
void CheckJpegCost(const TJpegStructure& jpeg, const std::string& fileName) {
    if (jpeg.Scans > MaxJpegScans)
        Fail(fileName, "JPEG image with more than " + std::to_string(MaxJpegScans) + " scans (" +
                           std::to_string(jpeg.Scans) + ")");
    if (jpeg.AcBeforeDc >= 0)
        Fail(fileName, "JPEG scan of AC coefficients of component " + std::to_string(jpeg.AcBeforeDc) +
                           " before its DC coefficients");
    const long long leastBytes = CeilDiv(jpeg.DcBlockBits, 8);
    if (!jpeg.Arithmetic && static_cast<long long>(jpeg.EntropyBytes) < leastBytes)
        Fail(fileName, "JPEG entropy-coded data of " + std::to_string(jpeg.EntropyBytes) + " bytes is too short for " +
                           SizeText(jpeg.Width, jpeg.Height) + " (at least " + std::to_string(leastBytes) + " bytes)");
    if (!jpeg.Arithmetic && jpeg.BlockPasses > MaxBlockPassesFor(jpeg.EntropyBytes))
        Fail(fileName, "JPEG image of " + std::to_string(jpeg.Scans) + " scans over " +
                           SizeText(jpeg.Width, jpeg.Height) + " takes " + std::to_string(jpeg.BlockPasses) +
                           " block passes, more than its " + std::to_string(jpeg.EntropyBytes) +
                           " bytes of coded data can stand for");
}

// ---------------------------------------------------------------------------------------------------------
// Files. The headers are read and checked before the rest, so that a file whose size cannot belong to the
// image it declares is refused without reading it.

constexpr std::size_t BmpHeadersPrefix = 256;        // the longest file and information headers, with masks
constexpr std::size_t JpegHeadersPrefix = 64 << 10;  // where the frame header of a usual file lies
constexpr std::size_t TrailingSlack = 1 << 20;       // bytes after the image that a file may carry (metadata, padding)

void CheckFileSizeFor(const TReadFile& file, std::size_t largest, const std::string& what) {
    if (file.Size() > largest)
        Fail(file.Name(), "file of " + std::to_string(file.Size()) + " bytes is larger than " + what + " can be (" +
                              std::to_string(largest) + " bytes)");
}

}  // namespace

TDecodedImage DecodeBmp(std::span<const unsigned char> bytes, const std::string& fileName, long long maxPixels) {
    const TBmpLayout layout = ReadBmpLayout(bytes, bytes.size(), fileName, maxPixels);
    if (layout.BitsPerPixel <= 8) CheckPaletteIndices(bytes, layout, fileName);

    // Only the headers and the pixel array go to the library, which keeps the length within its int.
    const std::size_t used = layout.PixelOffset + layout.RowStride * static_cast<std::size_t>(layout.Rows);
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, TStbFree> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(used), &width, &height, &channels, 3));
    if (!pixels) Fail(fileName, std::string("BMP not decoded: ") + stbi_failure_reason());
    if (width != layout.Width || height != layout.Rows)
        Fail(fileName,
             "BMP decoded as " + SizeText(width, height) + " instead of " + SizeText(layout.Width, layout.Rows));

    TDecodedImage image{width, height, {}};
    image.Rgb.assign(pixels.get(), pixels.get() + std::size_t(width) * std::size_t(height) * 3);
    return image;
}

namespace {

// The largest power-of-two reduction of libjpeg (1, 2, 4 or 8) that brings the image within maxPixels, or 1
// when even an eighth is too large and the image is to be refused.
unsigned JpegReduction(long long width, long long height, long long maxPixels) {
    for (unsigned denominator = 1; denominator <= 8; denominator *= 2)
        if (CeilDiv(width, denominator) * CeilDiv(height, denominator) <= maxPixels) return denominator;
    return 1;
}

TDecodedImage DecodeJpegReduced(std::span<const unsigned char> bytes, const std::string& fileName, long long maxPixels,
                                bool reduceToFit) {
    TJpegSession session;
    jpeg_decompress_struct& info = session.Info;
    const auto fail = [&] { Fail(fileName, session.Message()); };

    if (!session.Run([&] {
            jpeg_create_decompress(&info);
            info.mem->max_memory_to_use = JpegMemoryLimit;
            info.progress = &session.Progress.Base;  // after the create, which clears the struct
            session.Progress.MaxBlockPasses = MaxBlockPassesFor(bytes.size());
            jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
            jpeg_read_header(&info, TRUE);
        }))
        fail();
    const unsigned reduction = reduceToFit ? JpegReduction(info.image_width, info.image_height, maxPixels) : 1;
    CheckImageSize(info.image_width, info.image_height, fileName, reduction > 1 ? MaxImagePixels : maxPixels);
    CheckJpegColourSpace(info.jpeg_color_space, fileName);
    CheckJpegCost(ScanJpeg(bytes), fileName);
    info.out_color_space = JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = reduction;

    if (!session.Run([&] { jpeg_start_decompress(&info); })) fail();
    if (info.output_components != 3 || info.output_width != CeilDiv(info.image_width, reduction) ||
        info.output_height != CeilDiv(info.image_height, reduction))
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

// The size a PNG header (IHDR, big-endian) or a GIF's logical screen (little-endian) declares.
struct TDeclaredSize {
    long long Width = 0;
    long long Height = 0;
};

TDeclaredSize PngSize(std::span<const unsigned char> bytes, const std::string& fileName) {
    if (bytes.size() < 24) Fail(fileName, "truncated PNG header");
    const auto read = [&](std::size_t at) {
        return static_cast<long long>(std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
                                      std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3]);
    };
    return {read(16), read(20)};
}

TDeclaredSize GifSize(std::span<const unsigned char> bytes, const std::string& fileName) {
    if (bytes.size() < 10) Fail(fileName, "truncated GIF header");
    return {Read16(bytes, 6), Read16(bytes, 8)};
}

// PNG, GIF and TGA through the library decoder, once the declared size has passed the limits.
TDecodedImage DecodeWithLibrary(std::span<const unsigned char> bytes, const std::string& fileName, long long maxPixels,
                                const char* format, TDeclaredSize declared) {
    CheckImageSize(declared.Width, declared.Height, fileName, maxPixels);
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<unsigned char, TStbFree> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 3));
    if (!pixels) Fail(fileName, std::string(format) + " image not decoded: " + stbi_failure_reason());
    // A GIF's first frame may be declared larger than its screen; the pixels are what was checked or nothing.
    if (width != declared.Width || height != declared.Height)
        Fail(fileName, std::string(format) + " image decoded as " + SizeText(width, height) + " instead of " +
                           SizeText(declared.Width, declared.Height));
    TDecodedImage image{width, height, {}};
    image.Rgb.assign(pixels.get(), pixels.get() + std::size_t(width) * std::size_t(height) * 3);
    return image;
}

bool StartsWith(std::span<const unsigned char> bytes, std::string_view signature) {
    return bytes.size() >= signature.size() && std::equal(signature.begin(), signature.end(), bytes.begin(),
                                                          [](char a, unsigned char b) { return a == char(b); });
}

}  // namespace

TDecodedImage DecodeJpeg(std::span<const unsigned char> bytes, const std::string& fileName, long long maxPixels) {
    return DecodeJpegReduced(bytes, fileName, maxPixels, false);
}

bool LooksLikeImage(std::span<const unsigned char> firstBytes) {
    if (StartsWith(firstBytes, "BM") || StartsWith(firstBytes, "\xFF\xD8\xFF") ||
        StartsWith(firstBytes, "\x89PNG\r\n\x1A\n") || StartsWith(firstBytes, "GIF87a") ||
        StartsWith(firstBytes, "GIF89a"))
        return true;
    int width = 0, height = 0, channels = 0;
    return firstBytes.size() <= 4096 &&
           stbi_info_from_memory(firstBytes.data(), static_cast<int>(firstBytes.size()), &width, &height, &channels);
}

TDecodedImage DecodeImage(std::span<const unsigned char> bytes, const std::string& fileName, long long maxPixels,
                          bool reduceToFit) {
    if (StartsWith(bytes, "BM")) return DecodeBmp(bytes, fileName, maxPixels);
    if (StartsWith(bytes, "\xFF\xD8\xFF")) return DecodeJpegReduced(bytes, fileName, maxPixels, reduceToFit);
    // The library takes its length as an int.
    if (bytes.size() > static_cast<std::size_t>(MaxImageFileBytes))
        Fail(fileName, "file of " + std::to_string(bytes.size()) + " bytes is larger than any image accepted");
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n"))
        return DecodeWithLibrary(bytes, fileName, maxPixels, "PNG", PngSize(bytes, fileName));
    if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a"))
        return DecodeWithLibrary(bytes, fileName, maxPixels, "GIF", GifSize(bytes, fileName));
    // A TGA file has no signature: only its header's fields, which the library checks, tell one.
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels))
        return DecodeWithLibrary(bytes, fileName, maxPixels, "TGA", {width, height});
    Fail(fileName, "not an image the decoders read (BMP, JPEG, PNG, GIF or TGA)");
}

TDecodedImage DecodeBmpFile(const std::string& fileName, long long maxPixels) {
    const TReadFile file(fileName);
    const TBmpLayout layout = ReadBmpLayout(file.ReadPrefix(BmpHeadersPrefix), file.Size(), fileName, maxPixels);
    const std::size_t declared = layout.PixelOffset + layout.RowStride * static_cast<std::size_t>(layout.Rows);
    CheckFileSizeFor(file, declared + declared / 4 + TrailingSlack, "the image its header declares");
    return DecodeBmp(file.ReadWhole<std::vector<unsigned char>>(), fileName, maxPixels);
}

TDecodedImage DecodeJpegFile(const std::string& fileName, long long maxPixels) {
    const TReadFile file(fileName);
    CheckFileSizeFor(file, static_cast<std::size_t>(MaxImageFileBytes), "any image accepted");
    const TJpegStructure header = ScanJpeg(file.ReadPrefix(JpegHeadersPrefix));
    if (header.Frame)
        CheckFileSizeFor(file, header.FrameEnd + LargestEntropyData(header) + TrailingSlack,
                         "the image its header declares");
    return DecodeJpeg(file.ReadWhole<std::vector<unsigned char>>(), fileName, maxPixels);
}
