// The texture image decoders: Windows bitmaps and JPEG files to rows of 24-bit RGB pixels. This is the only
// part of the engine that knows the decoding libraries. Every decoder checks the declared size against the
// limits below before it allocates the pixels, and every error names the file.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when an image cannot be decoded: malformed, truncated, unsupported or too large. The message
// starts with "FILE: ".
class TImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest images accepted: a side of at most 16384 pixels and at most 8192 x 8192 pixels in all.
inline constexpr int MaxImageSide = 16384;
inline constexpr long long MaxImagePixels = 8192LL * 8192LL;

// A decoded image: Rgb holds Width x Height pixels of 3 bytes (red, green, blue), the top row first, each
// row left to right with no padding. Width and Height are both at least 1.
struct TDecodedImage {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Rgb;
};

// The largest image file read: the largest image accepted at 4 bytes a pixel, with room for metadata.
inline constexpr long long MaxImageFileBytes = MaxImagePixels * 4 + (16LL << 20);
// The most scans a JPEG image may have; they are counted before any is decoded.
inline constexpr int MaxJpegScans = 100;

// Raises TImageError naming the file for an image of this size that is empty, beyond the limits above, or
// beyond maxPixels. Every decoder checks the size an image declares with it before any pixel is allocated.
void CheckImageSize(long long width, long long height, const std::string& fileName, long long maxPixels);

// Decode a whole file held in memory. `fileName` only labels the error messages. Palettised, 16-bit and
// 32-bit bitmaps and grey JPEGs are converted to RGB; truncated pixel data is an error, never padding.
// `maxPixels` lowers the pixel limit for a caller that keeps a budget of its own; an image above it is
// refused before its pixels are decoded.
TDecodedImage DecodeBmp(std::span<const unsigned char> bytes, const std::string& fileName,
                        long long maxPixels = MaxImagePixels);
TDecodedImage DecodeJpeg(std::span<const unsigned char> bytes, const std::string& fileName,
                         long long maxPixels = MaxImagePixels);

// Decode an image file's bytes by what they hold, whatever the file is called: a bitmap, a JPEG, a PNG, a GIF
// (its first frame) or a TGA image; anything else is a TImageError naming the file. The size a header declares
// is checked against the limits before any pixel is decoded. With reduceToFit, a JPEG image larger than
// maxPixels is decoded at a half, a quarter or an eighth of its size, the largest that fits (pictures far
// smaller than their textures need no more); other images above it are refused.
TDecodedImage DecodeImage(std::span<const unsigned char> bytes, const std::string& fileName,
                          long long maxPixels = MaxImagePixels, bool reduceToFit = false);

// Whether a file's first bytes (64 are plenty) begin an image DecodeImage reads: a known signature, or for a
// TGA image a header the library decoder takes. No pixel is decoded.
bool LooksLikeImage(std::span<const unsigned char> firstBytes);

// Decode a regular file (a directory or a device is a TFileError naming it). Its header is read and checked
// first: a file too large for the image its header declares, or for any image accepted, is refused unread.
TDecodedImage DecodeBmpFile(const std::string& fileName, long long maxPixels = MaxImagePixels);
TDecodedImage DecodeJpegFile(const std::string& fileName, long long maxPixels = MaxImagePixels);
