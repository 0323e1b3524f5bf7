#include "Image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>

TRgb Lerp(const TRgb& a, const TRgb& b, double t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}
TRgb operator*(const TRgb& c, double k) { return {c.R * k, c.G * k, c.B * k}; }
TRgb operator+(const TRgb& a, const TRgb& b) { return {a.R + b.R, a.G + b.G, a.B + b.B}; }

TImage::TImage(int width, int height) : W(width), H(height), Bytes(static_cast<std::size_t>(width) * height * 3, 0) {
    if (width <= 0 || height <= 0) throw std::invalid_argument("image size must be positive");
}

namespace {

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error(path + ": cannot be written");
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

void TImage::Set(int x, int y, const TRgb& colour) {
    if (x < 0 || y < 0 || x >= W || y >= H) throw std::out_of_range("pixel outside the image");
    std::uint8_t* p = &Bytes[(static_cast<std::size_t>(y) * W + x) * 3];
    p[0] = ToByte(colour.R);
    p[1] = ToByte(colour.G);
    p[2] = ToByte(colour.B);
}

void WriteBmp(const TImage& image, const std::string& path) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(image.Width()) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(image.Height());
    const std::uint32_t headerBytes = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(headerBytes + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, headerBytes + pixelBytes);
    Put32(out, 0);
    Put32(out, headerBytes);
    Put32(out, 40);  // BITMAPINFOHEADER
    Put32(out, static_cast<std::uint32_t>(image.Width()));
    Put32(out, static_cast<std::uint32_t>(image.Height()));  // positive: bottom-up rows
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);  // no compression
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = image.Height() - 1; y >= 0; --y) {
        const std::uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3 + 0]);
        }
        out.resize(out.size() + (rowBytes - static_cast<std::uint32_t>(image.Width()) * 3), 0);
    }
    WriteFile(path, out);
}

namespace {

struct TJpegErrors {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void JpegFailed(j_common_ptr info) {
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    info->err->format_message(info, errors->Message);
    std::longjmp(errors->Jump, 1);
}

// Kept free of objects with destructors, because a libjpeg error leaves it through longjmp.
bool Compress(const TImage& image, int quality, unsigned char** buffer, unsigned long* size, TJpegErrors& errors) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = JpegFailed;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = static_cast<JDIMENSION>(image.Width());
    info.image_height = static_cast<JDIMENSION>(image.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;  // integer arithmetic: the same bytes on every machine
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.Row(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

void WriteJpeg(const TImage& image, const std::string& path, int quality) {
    TJpegErrors errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool done = Compress(image, quality, &buffer, &size, errors);
    std::vector<std::uint8_t> bytes;
    if (done) bytes.assign(buffer, buffer + size);
    std::free(buffer);
    if (!done) throw std::runtime_error(path + ": JPEG compression failed: " + errors.Message);
    WriteFile(path, bytes);
}
