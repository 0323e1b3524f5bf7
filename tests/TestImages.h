// Writers of small BMP and JPEG files for the texture tests and benchmarks, so that no binary image has to be
// kept in the tree. Everything here is header-only: the benchmarks include it from their own folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

// An image as the decoders return it: RGB, top row first.
struct TRgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Rgb;

    unsigned char* At(int x, int y) { return &Rgb[(std::size_t(y) * Width + x) * 3]; }
};

// The 3 x 2 picture: top row red, green, blue; bottom row white, black, grey 128.
inline TRgbImage ThreeByTwo() {
    return {3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128}};
}

// A picture whose every pixel differs from its neighbours, so a shear or a flip shows.
inline TRgbImage Gradient(int width, int height) {
    TRgbImage image{width, height, std::vector<unsigned char>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = image.At(x, y);
            p[0] = static_cast<unsigned char>(x * 7 + y * 3);
            p[1] = static_cast<unsigned char>(y * 11 + 5);
            p[2] = static_cast<unsigned char>(255 - x * 5);
        }
    return image;
}

inline void Put16(std::string& out, std::uint32_t value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

inline void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Every field of a bitmap file, for writing well-formed and hostile ones alike.
struct TBmpFields {
    std::uint32_t HeaderSize = 40;  // 12 (core), 40, 108 or 124
    std::int32_t Width = 1;
    std::int32_t Height = 1;  // negative: top-down
    std::uint16_t Planes = 1;
    std::uint16_t Bits = 24;
    std::uint32_t Compression = 0;
    std::vector<std::uint32_t> Masks;    // red, green, blue[, alpha]: after a 40-byte header, inside a larger one
    std::vector<std::uint32_t> Palette;  // 0x00RRGGBB entries
    std::string Pixels;                  // the file's rows, padded already
    long long PixelOffset = -1;          // -1: right after headers, masks and palette
};

inline std::string WriteBmp(const TBmpFields& f) {
    std::string info;
    Put32(info, f.HeaderSize);
    if (f.HeaderSize == 12) {
        Put16(info, std::uint32_t(f.Width));
        Put16(info, std::uint32_t(f.Height));
        Put16(info, f.Planes);
        Put16(info, f.Bits);
    } else {
        Put32(info, std::uint32_t(f.Width));
        Put32(info, std::uint32_t(f.Height));
        Put16(info, f.Planes);
        Put16(info, f.Bits);
        Put32(info, f.Compression);
        Put32(info, std::uint32_t(f.Pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, std::uint32_t(f.Palette.size()));
        Put32(info, 0);
        if (f.HeaderSize > 40)
            for (std::uint32_t mask : f.Masks) Put32(info, mask);
        info.resize(f.HeaderSize, '\0');
        if (f.HeaderSize == 40)
            for (std::uint32_t mask : f.Masks) Put32(info, mask);
    }
    for (std::uint32_t colour : f.Palette) Put32(info, colour);
    const std::uint32_t offset = f.PixelOffset >= 0 ? std::uint32_t(f.PixelOffset) : std::uint32_t(14 + info.size());
    std::string file = "BM";
    Put32(file, std::uint32_t(14 + info.size() + f.Pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    return file + info + f.Pixels;
}

// 24-bit rows of the image, blue-green-red, padded to 4 bytes, bottom row first unless top-down.
inline std::string Rows24(const TRgbImage& image, bool topDown = false) {
    std::string rows;
    for (int i = 0; i < image.Height; ++i) {
        const int y = topDown ? i : image.Height - 1 - i;
        std::string row;
        for (int x = 0; x < image.Width; ++x) {
            const unsigned char* p = &image.Rgb[(std::size_t(y) * image.Width + x) * 3];
            row += char(p[2]);
            row += char(p[1]);
            row += char(p[0]);
        }
        row.resize((row.size() + 3) / 4 * 4, '\0');
        rows += row;
    }
    return rows;
}

inline std::string Bmp24(const TRgbImage& image, bool topDown = false) {
    TBmpFields f;
    f.Width = image.Width;
    f.Height = topDown ? -image.Height : image.Height;
    f.Pixels = Rows24(image, topDown);
    return WriteBmp(f);
}

// How a test JPEG is written.
struct TJpegOptions {
    int Quality = 95;
    bool FullChroma = false;           // 4:4:4 sampling instead of libjpeg's 4:2:0
    bool Progressive = false;          // libjpeg's standard progression
    int Scans = 0;                     // > 0: a progressive script of exactly this many scans (2..190)
    J_COLOR_SPACE Stored = JCS_YCbCr;  // JCS_GRAYSCALE, JCS_YCbCr, JCS_CMYK or JCS_YCCK
    bool Arithmetic = false;           // arithmetic instead of Huffman coding
};

// A progressive script of `count` scans for 3 components: one DC scan, then the AC bands of each component
// split into as many spectral ranges as its share of the remaining scans.
inline std::vector<jpeg_scan_info> ProgressiveScript(int count) {
    std::vector<jpeg_scan_info> scans;
    scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    const int acScans = count - 1;
    for (int component = 0; component < 3; ++component) {
        const int bands = acScans / 3 + (component < acScans % 3 ? 1 : 0);
        int start = 1;
        for (int band = 0; band < bands; ++band) {
            const int end = band == bands - 1 ? 63 : start;
            scans.push_back({1, {component, 0, 0, 0}, start, end, 0, 0});
            start = end + 1;
        }
    }
    return scans;
}

inline std::string WriteJpeg(const TRgbImage& image, const TJpegOptions& options = {}) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    const bool grey = options.Stored == JCS_GRAYSCALE;
    const bool cmyk = options.Stored == JCS_CMYK || options.Stored == JCS_YCCK;
    info.image_width = JDIMENSION(image.Width);
    info.image_height = JDIMENSION(image.Height);
    info.input_components = grey ? 1 : cmyk ? 4 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, options.Stored);
    jpeg_set_quality(&info, options.Quality, TRUE);
    if (options.FullChroma)
        for (int c = 0; c < info.num_components; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    info.arith_code = options.Arithmetic ? TRUE : FALSE;
    std::vector<jpeg_scan_info> script;
    if (options.Scans > 0) {
        script = ProgressiveScript(options.Scans);
        info.scan_info = script.data();
        info.num_scans = int(script.size());
    } else if (options.Progressive) {
        jpeg_simple_progression(&info);
    }

    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(image.Width) * std::size_t(info.input_components));
    while (info.next_scanline < info.image_height) {
        const unsigned char* rgb = &image.Rgb[std::size_t(info.next_scanline) * image.Width * 3];
        for (int x = 0; x < image.Width; ++x) {
            const unsigned char* p = rgb + x * 3;
            if (grey) {
                row[x] = p[0];
            } else if (cmyk) {
                for (int c = 0; c < 3; ++c) row[x * 4 + c] = 255 - p[c];
                row[x * 4 + 3] = 0;
            } else {
                for (int c = 0; c < 3; ++c) row[x * 3 + c] = p[c];
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string file(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}
