// An RGB picture in memory and the two file formats the engine reads: 24-bit bottom-up BMP written by our
// own code, and baseline JPEG through libjpeg's compressor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TRgb {
    double R = 0.0, G = 0.0, B = 0.0;  // 0..1; written clamped
};

TRgb Lerp(const TRgb& a, const TRgb& b, double t);
TRgb operator*(const TRgb& c, double k);
TRgb operator+(const TRgb& a, const TRgb& b);

class TImage {
public:
    TImage(int width, int height);

    int Width() const { return W; }
    int Height() const { return H; }
    void Set(int x, int y, const TRgb& colour);  // (0, 0) is the top-left pixel
    const std::uint8_t* Row(int y) const { return &Bytes[static_cast<std::size_t>(y) * W * 3]; }  // R, G, B

private:
    int W, H;
    std::vector<std::uint8_t> Bytes;  // rows from top to bottom, 3 bytes per pixel
};

// Both raise std::runtime_error naming the file when it cannot be written.
void WriteBmp(const TImage& image, const std::string& path);
void WriteJpeg(const TImage& image, const std::string& path, int quality);
