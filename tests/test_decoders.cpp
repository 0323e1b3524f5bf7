// The BMP and JPEG decoders on generated files: exact pixels for every bitmap layout, JPEG within a tolerance,
// and clean errors naming the file for truncated and hostile input.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include <gtest/gtest.h>

#include "FileRead.h"
#include "GlTestContext.h"
#include "ImageDecoders.h"
#include "TestImages.h"

namespace {

std::span<const unsigned char> Bytes(const std::string& file) {
    return {reinterpret_cast<const unsigned char*>(file.data()), file.size()};
}

// A string of every byte of a literal, NUL bytes included.
template <std::size_t N>
std::string Str(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

TRgbImage Decoded(const TDecodedImage& image) { return {image.Width, image.Height, image.Rgb}; }

// The decoder must refuse the file with an error that starts with its name and gives the reason.
void ExpectRefused(const std::function<TDecodedImage()>& decode, const std::string& name, const std::string& reason) {
    try {
        const TDecodedImage image = decode();
        ADD_FAILURE() << name << " decoded as " << image.Width << " x " << image.Height << "; expected: " << reason;
    } catch (const TImageError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind(name + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
}

void ExpectBmpRefused(const std::string& file, const std::string& reason) {
    ExpectRefused([&] { return DecodeBmp(Bytes(file), "hostile.bmp"); }, "hostile.bmp", reason);
}

void ExpectJpegRefused(const std::string& file, const std::string& reason) {
    ExpectRefused([&] { return DecodeJpeg(Bytes(file), "hostile.jpg"); }, "hostile.jpg", reason);
}

void ExpectNear(const TRgbImage& actual, const TRgbImage& expected, int tolerance) {
    ASSERT_EQ(actual.Width, expected.Width);
    ASSERT_EQ(actual.Height, expected.Height);
    ASSERT_EQ(actual.Rgb.size(), expected.Rgb.size());
    for (std::size_t i = 0; i < actual.Rgb.size(); ++i)
        ASSERT_LE(std::abs(int(actual.Rgb[i]) - int(expected.Rgb[i])), tolerance) << "byte " << i;
}

// A 24-bit file's bytes with one little-endian field overwritten.
std::string Patched32(std::string file, std::size_t at, std::uint32_t value) {
    std::string field;
    Put32(field, value);
    return file.replace(at, 4, field);
}

// The offset of the frame header's height field (the width follows it) in a JPEG file.
std::size_t FrameSizeOffset(const std::string& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == char(0xFF) && (jpeg[i + 1] == char(0xC0) || jpeg[i + 1] == char(0xC2))) return i + 5;
    ADD_FAILURE() << "no frame header";
    return 0;
}

std::string WithFrameSize(std::string jpeg, unsigned width, unsigned height) {
    const std::size_t at = FrameSizeOffset(jpeg);
    jpeg[at] = char(height >> 8);
    jpeg[at + 1] = char(height & 0xFF);
    jpeg[at + 2] = char(width >> 8);
    jpeg[at + 3] = char(width & 0xFF);
    return jpeg;
}

// ---- Bitmaps --------------------------------------------------------------------------------------------

TEST(BmpDecoder, ThreeByTwoBottomUpAndTopDownGiveTheSamePixels) {
    const TRgbImage expected = ThreeByTwo();
    EXPECT_EQ(Decoded(DecodeBmp(Bytes(Bmp24(expected)), "a.bmp")).Rgb, expected.Rgb);
    EXPECT_EQ(Decoded(DecodeBmp(Bytes(Bmp24(expected, true)), "a.bmp")).Rgb, expected.Rgb);
}

TEST(BmpDecoder, RowsWithPaddingDoNotShear) {
    for (int width : {1, 2, 3, 5, 7}) {
        const TRgbImage expected = Gradient(width, 4);
        const TDecodedImage image = DecodeBmp(Bytes(Bmp24(expected)), "a.bmp");
        EXPECT_EQ(image.Width, width);
        EXPECT_EQ(image.Rgb, expected.Rgb) << "width " << width;
    }
}

TEST(BmpDecoder, EveryBitDepthBecomesRgb) {
    // Two pixels per row, two rows (the bottom row first in the file): top red, green; bottom blue, white.
    const std::vector<unsigned char> expected = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const std::vector<std::uint32_t> palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    struct TCase {
        const char* Name;
        TBmpFields Fields;
    };
    auto fields = [](std::uint16_t bits, std::string pixels) {
        TBmpFields f;
        f.Width = 2;
        f.Height = 2;
        f.Bits = bits;
        f.Pixels = std::move(pixels);
        return f;
    };
    const std::string pad2 = Str("\0\0"), pad3 = Str("\0\0\0");
    std::vector<TCase> cases;
    cases.push_back({"8-bit", fields(8, Str("\x02\x03") + pad2 + Str("\x00\x01") + pad2)});
    cases.back().Fields.Palette = palette;
    cases.push_back({"4-bit", fields(4, Str("\x23") + pad3 + Str("\x01") + pad3)});
    cases.back().Fields.Palette = palette;
    // 5 bits a channel by default: blue 0x001F, white 0x7FFF, red 0x7C00, green 0x03E0.
    cases.push_back({"16-bit 555", fields(16, Str("\x1F\x00\xFF\x7F\x00\x7C\xE0\x03"))});
    TCase rgb565{"16-bit 565 bit fields", fields(16, Str("\x1F\x00\xFF\xFF\x00\xF8\xE0\x07"))};
    rgb565.Fields.Compression = 3;
    rgb565.Fields.Masks = {0xF800, 0x07E0, 0x001F};
    cases.push_back(rgb565);
    cases.push_back({"32-bit", fields(32, Str("\xFF\0\0\0"
                                              "\xFF\xFF\xFF\0"
                                              "\0\0\xFF\0"
                                              "\0\xFF\0\0"))});
    TCase v4{"32-bit in a 108-byte header", cases.back().Fields};
    v4.Fields.HeaderSize = 108;
    cases.push_back(v4);
    TCase rgba{"32-bit bit fields, a fourth byte unused", fields(32, Str("\x80\xFF\0\0"
                                                                         "\x80\xFF\xFF\xFF"
                                                                         "\x80\0\0\xFF"
                                                                         "\x80\0\xFF\0"))};
    rgba.Fields.Compression = 3;
    rgba.Fields.Masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
    cases.push_back(rgba);
    for (const TCase& c : cases) {
        const TDecodedImage image = DecodeBmp(Bytes(WriteBmp(c.Fields)), "a.bmp");
        EXPECT_EQ(image.Width, 2) << c.Name;
        EXPECT_EQ(image.Rgb, expected) << c.Name;
    }

    // 1 bit: rows of 2 pixels in a 2-entry palette, black then white on top, white then black below.
    TBmpFields mono = fields(1, Str("\x80") + pad3 + Str("\x40") + pad3);
    mono.Palette = {0x000000, 0xFFFFFF};
    EXPECT_EQ(DecodeBmp(Bytes(WriteBmp(mono)), "a.bmp").Rgb,
              (std::vector<unsigned char>{0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
}

TEST(BmpDecoder, PaletteIndicesOutsideThePaletteAreRefused) {
    TBmpFields f;
    f.Width = 3;
    f.Bits = 8;
    f.Palette = {0x102030, 0x405060};
    f.Pixels = Str("\x01\x00\x01\x00");
    EXPECT_EQ(DecodeBmp(Bytes(WriteBmp(f)), "a.bmp").Rgb,
              (std::vector<unsigned char>{0x40, 0x50, 0x60, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60}));
    // The padding byte is not a pixel, whatever it holds; the third pixel is.
    f.Pixels = Str("\x01\x00\x01\xFF");
    EXPECT_NO_THROW(DecodeBmp(Bytes(WriteBmp(f)), "a.bmp"));
    f.Pixels = Str("\x01\x00\x02\x00");
    ExpectBmpRefused(WriteBmp(f), "palette index 2 past the palette's 2 entries");

    TBmpFields nibbles = f;
    nibbles.Bits = 4;
    nibbles.Pixels = Str("\x10\x20\0\0");  // pixels 1, 0, 2
    ExpectBmpRefused(WriteBmp(nibbles), "palette index 2");

    // A palette larger than 256 entries (a wide gap before the pixels) and none at all.
    f.Pixels = std::string(4, '\0');
    f.Palette.assign(257, 0);
    ExpectBmpRefused(WriteBmp(f), "palette of 257 entries");
    f.Palette.clear();
    ExpectBmpRefused(WriteBmp(f), "palette of 0 entries");
}

TEST(BmpDecoder, EveryTruncatedPrefixIsAnError) {
    TBmpFields palettised;
    palettised.Width = 5;
    palettised.Height = 3;
    palettised.Bits = 8;
    palettised.Palette = {0xFF0000, 0x00FF00};
    palettised.Pixels = std::string(24, '\x01');
    for (const std::string& file : {Bmp24(Gradient(5, 3)), WriteBmp(palettised)}) {
        ASSERT_NO_THROW(DecodeBmp(Bytes(file), "whole.bmp"));
        for (std::size_t size = 0; size < file.size(); ++size) {
            const std::string prefix = file.substr(0, size);
            ExpectBmpRefused(prefix, size < 2 ? "not a BMP file" : "");
        }
    }
    ExpectBmpRefused(Bmp24(Gradient(5, 3)).substr(0, 54 + 40), "truncated BMP pixel data (40 of 48 bytes)");
}

TEST(BmpDecoder, HostileHeadersAreRefusedBeforeDecoding) {
    const std::string good = Bmp24(Gradient(2, 2));
    auto with = [](auto change) {
        TBmpFields f;
        f.Width = 2;
        f.Height = 2;
        f.Pixels = Rows24(Gradient(2, 2));
        change(f);
        return WriteBmp(f);
    };
    ExpectBmpRefused("", "not a BMP file");
    ExpectBmpRefused("BA" + good.substr(2), "not a BMP file");
    ExpectBmpRefused(Patched32(good, 14, 64), "unknown BMP header size 64");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Planes = 2; }), "plane count is not 1");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = 0; }), "empty image (0 x 2 pixels)");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Height = 0; }), "empty image (2 x 0 pixels)");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = -2; }), "empty image (-2 x 2 pixels)");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = 0x7FFFFFFF; }), "side longer than 16384");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Height = INT_MIN; }), "2 x 2147483648 pixels");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = 16385; }), "side longer than 16384");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = f.Height = 23169; }), "side longer than 16384");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = f.Height = 8193; }), "more than 67108864 pixels");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = 16384, f.Height = -4097; }), "more than 67108864");
    // The largest accepted size still needs all of its pixel data.
    ExpectBmpRefused(with([](TBmpFields& f) { f.Width = f.Height = 8192; }), "truncated BMP pixel data");
    ExpectBmpRefused(with([](TBmpFields& f) { f.PixelOffset = 20; }), "pixel offset 20 outside 54..");
    ExpectBmpRefused(with([](TBmpFields& f) { f.PixelOffset = 1000; }), "pixel offset 1000 outside");
    ExpectBmpRefused(with([](TBmpFields& f) { f.PixelOffset = 58; }), "pixel offset 58 is not 54");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Bits = 2; }), "2 bits per pixel is not supported");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Bits = 0; }), "0 bits per pixel");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Compression = 1; }), "RLE-compressed");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Compression = 2; }), "RLE-compressed");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Compression = 4; }), "compression 4 is not supported");
    ExpectBmpRefused(with([](TBmpFields& f) { f.Compression = 3; }), "bit-field masks with 24 bits");
    ExpectBmpRefused(with([](TBmpFields& f) {
                         f.HeaderSize = 12;
                         f.Bits = 8;
                     }),
                     "core bitmap header with 8");
    auto masks = [&](std::vector<std::uint32_t> m) {
        return with([&](TBmpFields& f) {
            f.Bits = 32;
            f.Compression = 3;
            f.Masks = m;
            f.Pixels = std::string(16, '\x7F');
        });
    };
    ExpectBmpRefused(masks({0, 0, 0}), "BMP not decoded");
    ExpectBmpRefused(masks({0xFF, 0xFF, 0xFF}), "BMP not decoded");
    // Overlapping masks are odd but harmless: every channel reads the same bits.
    EXPECT_NO_THROW(DecodeBmp(Bytes(masks({0xFF00, 0x0FF0, 0x00FF})), "a.bmp"));
}

TEST(BmpDecoder, CoreHeaderAndTrailingBytesAreAccepted) {
    TBmpFields f;
    f.HeaderSize = 12;
    f.Width = 3;
    f.Height = 2;
    f.Pixels = Rows24(ThreeByTwo());
    EXPECT_EQ(DecodeBmp(Bytes(WriteBmp(f)), "a.bmp").Rgb, ThreeByTwo().Rgb);
    EXPECT_EQ(DecodeBmp(Bytes(Bmp24(ThreeByTwo()) + "trailing"), "a.bmp").Rgb, ThreeByTwo().Rgb);
}

// ---- JPEG -----------------------------------------------------------------------------------------------

TEST(JpegDecoder, ThreeByTwoWithinTolerance) {
    TJpegOptions options;
    options.Quality = 100;
    options.FullChroma = true;
    ExpectNear(Decoded(DecodeJpeg(Bytes(WriteJpeg(ThreeByTwo(), options)), "a.jpg")), ThreeByTwo(), 8);
}

TEST(JpegDecoder, ProgressiveAndGreyImagesDecodeToRgb) {
    const TRgbImage smooth = Gradient(37, 21);
    TJpegOptions progressive;
    progressive.Progressive = true;
    progressive.FullChroma = true;
    progressive.Quality = 98;
    ExpectNear(Decoded(DecodeJpeg(Bytes(WriteJpeg(smooth, progressive)), "a.jpg")), smooth, 12);

    TJpegOptions grey;
    grey.Stored = JCS_GRAYSCALE;
    const TDecodedImage image = DecodeJpeg(Bytes(WriteJpeg(smooth, grey)), "a.jpg");
    ASSERT_EQ(image.Rgb.size(), std::size_t(37 * 21 * 3));
    for (std::size_t i = 0; i < image.Rgb.size(); i += 3) {
        EXPECT_EQ(image.Rgb[i], image.Rgb[i + 1]);
        EXPECT_EQ(image.Rgb[i], image.Rgb[i + 2]);
        EXPECT_LE(std::abs(int(image.Rgb[i]) - int(smooth.Rgb[i])), 6) << "pixel " << i / 3;
    }
}

TEST(JpegDecoder, CmykAndYcckAreRefused) {
    TJpegOptions options;
    options.Stored = JCS_CMYK;
    ExpectJpegRefused(WriteJpeg(Gradient(8, 8), options), "CMYK JPEG images are not supported");
    options.Stored = JCS_YCCK;
    ExpectJpegRefused(WriteJpeg(Gradient(8, 8), options), "YCCK JPEG images are not supported");
}

TEST(JpegDecoder, AHundredScansAreReadAndOneMoreIsRefused) {
    TJpegOptions options;
    options.FullChroma = true;
    options.Quality = 98;
    options.Scans = 100;
    ExpectNear(Decoded(DecodeJpeg(Bytes(WriteJpeg(Gradient(16, 16), options)), "a.jpg")), Gradient(16, 16), 12);
    options.Scans = 101;
    ExpectJpegRefused(WriteJpeg(Gradient(16, 16), options), "more than 100 scans");
}

// libjpeg pads a cut-off scan with made-up samples and only warns; here that is an error.
TEST(JpegDecoder, EveryTruncatedPrefixIsAnError) {
    TJpegOptions progressive;
    progressive.Progressive = true;
    for (const std::string& file : {WriteJpeg(Gradient(19, 11)), WriteJpeg(Gradient(19, 11), progressive)}) {
        ASSERT_NO_THROW(DecodeJpeg(Bytes(file), "whole.jpg"));
        for (std::size_t size = 0; size < file.size(); ++size) ExpectJpegRefused(file.substr(0, size), "");
    }
    const std::string file = WriteJpeg(Gradient(64, 64));
    ExpectJpegRefused(file.substr(0, file.size() * 2 / 3), "Premature end of JPEG file");
}

TEST(JpegDecoder, StrayBytesBeforeTheEndMarkerAreOnlyAWarning) {
    std::string file = WriteJpeg(ThreeByTwo());
    file.insert(file.size() - 2, "junk");
    EXPECT_EQ(DecodeJpeg(Bytes(file), "a.jpg").Width, 3);
}

TEST(JpegDecoder, ArithmeticCodingIsReadButOtherPrecisionsAndLosslessAreNot) {
    TJpegOptions arithmetic;
    arithmetic.Arithmetic = true;
    arithmetic.FullChroma = true;
    arithmetic.Quality = 98;
    ExpectNear(Decoded(DecodeJpeg(Bytes(WriteJpeg(Gradient(9, 9), arithmetic)), "a.jpg")), Gradient(9, 9), 12);

    std::string twelveBit = WriteJpeg(Gradient(8, 8));
    twelveBit[FrameSizeOffset(twelveBit) - 1] = 12;
    ExpectJpegRefused(twelveBit, "precision 12");
    std::string lossless = WriteJpeg(Gradient(8, 8));
    lossless[FrameSizeOffset(lossless) - 4] = char(0xC3);
    ExpectJpegRefused(lossless, "0xc3");
}

TEST(JpegDecoder, HostileHeadersAreRefused) {
    const std::string small = WriteJpeg(Gradient(8, 8));
    ExpectJpegRefused("", "");
    ExpectJpegRefused(Bmp24(ThreeByTwo()), "Not a JPEG file");
    ExpectJpegRefused(WithFrameSize(small, 65000, 65000), "side longer than 16384");
    ExpectJpegRefused(WithFrameSize(small, 16385, 8), "side longer than 16384");
    ExpectJpegRefused(WithFrameSize(small, 8193, 8193), "more than 67108864 pixels");
    ExpectJpegRefused(WithFrameSize(small, 0, 8), "Empty JPEG image");
    // A progressive header of the largest accepted size over a few bytes of data: refused, and quickly.
    TJpegOptions progressive;
    progressive.Progressive = true;
    ExpectJpegRefused(WithFrameSize(WriteJpeg(Gradient(8, 8), progressive), 8192, 8192), "");
}

// ---- Files ----------------------------------------------------------------------------------------------

TEST(ImageFiles, ADirectoryADeviceOrAMissingFileIsAnErrorNamingIt) {
    const std::string directory = TTempFile::Directory() + "/folder.bmp";
    std::filesystem::create_directories(directory);
    for (const auto& decode : {DecodeBmpFile, DecodeJpegFile}) {
        for (const std::string& name : {directory, directory + "/missing.jpg", std::string("/dev/zero")}) {
            try {
                decode(name, MaxImagePixels);
                ADD_FAILURE() << name << " decoded";
            } catch (const TFileError& error) {
                EXPECT_EQ(std::string(error.what()).rfind(name + ": ", 0), 0u) << error.what();
            }
        }
    }
    std::filesystem::remove_all(TTempFile::Directory());
}

TEST(ImageFiles, FilesDecodeToTheirPictures) {
    TJpegOptions options;
    options.Quality = 100;
    options.FullChroma = true;
    const TTempFile bmp("three.bmp", Bmp24(ThreeByTwo()));
    const TTempFile jpeg("three.jpg", WriteJpeg(ThreeByTwo(), options));
    EXPECT_EQ(DecodeBmpFile(bmp.Path).Rgb, ThreeByTwo().Rgb);
    ExpectNear(Decoded(DecodeJpegFile(jpeg.Path)), ThreeByTwo(), 8);
    ExpectRefused([&] { return DecodeJpegFile(bmp.Path); }, bmp.Path, "Not a JPEG file");
}

TEST(ImageFiles, ExporterJpegsDecode) {
    int decoded = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(REALWORLD_DIR)) {
        if (entry.path().extension() != ".jpg") continue;
        const TDecodedImage image = DecodeJpegFile(entry.path().string());
        EXPECT_EQ(image.Rgb.size(), std::size_t(image.Width) * image.Height * 3) << entry.path();
        ++decoded;
    }
    EXPECT_GE(decoded, 3);
}

}  // namespace
