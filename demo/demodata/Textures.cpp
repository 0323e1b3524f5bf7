#include "Textures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "Landscape.h"
#include "Random.h"

namespace {

constexpr double Pi = std::numbers::pi;

// Fills an image from a function of the texture position (u to the right, v downwards, both in [0, 1)),
// averaging samples x samples points per pixel so that hard edges do not stair-step.
TImage Render(int width, int height, int samples, const std::function<TRgb(double u, double v)>& colour) {
    TImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TRgb sum;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const double u = (x + (sx + 0.5) / samples) / width;
                    const double v = (y + (sy + 0.5) / samples) / height;
                    sum = sum + colour(u, v);
                }
            image.Set(x, y, sum * (1.0 / (samples * samples)));
        }
    return image;
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double SmoothStep(double edge0, double edge1, double x) {
    const double t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

// A value in [0, 1) that is the same for every point of one cell and differs from cell to cell.
// The texel that shows `colour` once the vertex colour `tint` has multiplied it.
TRgb Untinted(const TRgb& colour, const TColor& tint) {
    return {colour.R / tint.R, colour.G / tint.G, colour.B / tint.B};
}

double CellValue(int i, int j, std::uint32_t seed) {
    TRandom random(static_cast<std::uint64_t>(seed) * 1000003u + static_cast<std::uint64_t>(i) * 7919u +
                   static_cast<std::uint64_t>(j));
    return random.Uniform();
}

}  // namespace

TImage MakeBricks() {
    constexpr int rows = 8, perRow = 4;
    return Render(256, 256, 2, [](double u, double v) {
        const int row = static_cast<int>(v * rows);
        double x = u * perRow + ((row % 2) ? 0.5 : 0.0);
        const int column = static_cast<int>(std::floor(x)) % perRow;
        const double fx = x - std::floor(x), fy = v * rows - row;
        const double mortarX = 0.045, mortarY = 0.09;
        const double edge = std::min({fx / mortarX, (1 - fx) / mortarX, fy / mortarY, (1 - fy) / mortarY});
        const double grit = Fractal2(u * 32, v * 32, 11, 3, 32);
        if (edge < 1.0) {
            const TRgb mortar{0.72, 0.69, 0.64};
            return mortar * (0.8 + 0.3 * grit);
        }
        const double tone = CellValue(column, row, 5);
        const TRgb dark{0.45, 0.18, 0.12}, light{0.72, 0.36, 0.24};
        TRgb brick = Lerp(dark, light, tone);
        const double blotch = Fractal2(u * 8, v * 8, 12, 4, 8);
        brick = brick * (0.75 + 0.45 * blotch) * (0.85 + 0.2 * grit);
        const double bevel = SmoothStep(1.0, 2.5, edge);
        return brick * (0.75 + 0.25 * bevel);
    });
}

TImage MakeCrate() {
    return Render(256, 256, 2, [](double u, double v) {
        const double border = 0.11;
        const bool frame = u < border || u > 1 - border || v < border || v > 1 - border;
        const double diagonal = std::fabs((u - (1 - v)) / std::sqrt(2.0));
        const bool brace = !frame && diagonal < border * 0.7;
        // Grain runs along each board: horizontal boards and frame rails, vertical stiles, slanted brace.
        double along = u, across = v;
        if (frame && (u < border || u > 1 - border) && v > border && v < 1 - border) std::swap(along, across);
        if (brace) {
            along = (u + (1 - v)) / 2;
            across = u - (1 - v);
        }
        const double wobble = Fractal2(along * 4, across * 16, 21, 3, 4);
        const double rings = 0.5 + 0.5 * std::sin(across * 90.0 + wobble * 9.0);
        const TRgb light{0.78, 0.58, 0.34}, dark{0.52, 0.34, 0.17};
        TRgb wood = Lerp(dark, light, 0.35 + 0.5 * rings);
        wood = wood * (0.85 + 0.25 * Fractal2(u * 16, v * 16, 22, 3, 16));
        if (frame || brace) {
            // Frame and brace stand out: lighter, with dark seams around them.
            const double seam = frame ? std::min({u, 1 - u, v, 1 - v, std::fabs(std::min(u, 1 - u) - border),
                                                  std::fabs(std::min(v, 1 - v) - border)})
                                      : std::fabs(diagonal - border * 0.7);
            wood = wood * 1.1 * (seam < 0.008 ? 0.45 : 1.0);
            // Nail heads at the frame's corners.
            for (double cx : {border / 2, 1 - border / 2})
                for (double cy : {border / 2, 1 - border / 2})
                    if (std::hypot(u - cx, v - cy) < 0.018) wood = TRgb{0.25, 0.24, 0.23};
            return wood;
        }
        const int plank = static_cast<int>((v - border) / ((1 - 2 * border) / 4));
        const double inPlank = std::fmod((v - border), (1 - 2 * border) / 4) / ((1 - 2 * border) / 4);
        wood = wood * (0.8 + 0.15 * CellValue(plank, 0, 23));
        if (inPlank < 0.04 || inPlank > 0.96) wood = wood * 0.4;
        return wood;
    });
}

TImage MakeGrass() {
    return Render(512, 512, 1, [](double u, double v) {
        const double patches = Fractal2(u * 6, v * 6, 31, 4, 6);
        const double detail = Fractal2(u * 64, v * 64, 32, 2, 64);
        const double blades = ValueNoise2(u * 128, v * 128, 33, 128);
        const TRgb dry{0.50, 0.55, 0.24}, lush{0.24, 0.44, 0.14}, deep{0.15, 0.31, 0.10};
        TRgb grass = Lerp(lush, dry, 0.6 * SmoothStep(0.45, 0.75, patches));
        grass = Lerp(grass, deep, 0.35 * (1 - detail));
        // Fine detail stays faint: without mipmaps, strong texel contrast shimmers in the distance.
        return Untinted(grass * (0.9 + 0.18 * blades), GrassTint());
    });
}

TImage MakeRock() {
    return Render(256, 256, 1, [](double u, double v) {
        const double body = Fractal2(u * 4, v * 4, 41, 5, 4);
        const double tint = Fractal2(u * 3, v * 3, 42, 3, 3);
        const double crack = std::fabs(Fractal2(u * 6, v * 6, 43, 4, 6) - 0.5);
        const TRgb grey{0.55, 0.54, 0.52}, brown{0.55, 0.47, 0.38};
        TRgb stone = Lerp(grey, brown, tint) * (0.6 + 0.7 * body);
        stone = stone * (0.9 + 0.2 * Fractal2(u * 64, v * 64, 44, 2, 64));
        return stone * (0.6 + 0.4 * SmoothStep(0.0, 0.012, crack));
    });
}

TImage MakeSky() {
    return Render(512, 256, 1, [](double u, double v) {
        const double height = 1 - v;  // 0 at the horizon row, 1 at the zenith row
        const TRgb horizon{0.80, 0.87, 0.95}, zenith{0.22, 0.42, 0.80};
        const TRgb below{0.62, 0.70, 0.72};
        TRgb sky = height < 0.12 ? Lerp(below, horizon, SmoothStep(0.0, 0.12, height))
                                 : Lerp(horizon, zenith, std::pow(SmoothStep(0.12, 1.0, height), 0.6));
        // Clouds thin out towards the zenith, where the dome's texture converges, and below the horizon.
        const double cover = Fractal2(u * 8, height * 6, 51, 6, 8);
        const double fade = SmoothStep(0.10, 0.22, height) * (1 - SmoothStep(0.40, 0.70, height));
        const double cloud = SmoothStep(0.46, 0.68, cover) * fade;
        const double shade = 0.82 + 0.18 * Fractal2(u * 16, height * 12 + 3, 52, 3, 16);
        return Untinted(Lerp(sky, TRgb{0.98, 0.98, 0.97} * shade, cloud), SkyTint(static_cast<float>(height)));
    });
}

TImage MakePaving() {
    constexpr int tiles = 4;
    return Render(256, 256, 2, [](double u, double v) {
        const int i = static_cast<int>(u * tiles), j = static_cast<int>(v * tiles);
        const double fx = u * tiles - i, fy = v * tiles - j;
        const double joint = std::min({fx, 1 - fx, fy, 1 - fy});
        const double grain = Fractal2(u * 16, v * 16, 61, 4, 16);
        const bool light = (i + j) % 2 == 0;
        TRgb stone = light ? TRgb{0.88, 0.83, 0.72} : TRgb{0.60, 0.58, 0.56};
        stone = stone * (0.82 + 0.3 * grain) * (0.92 + 0.16 * CellValue(i, j, 62));
        if (joint < 0.02) return TRgb{0.25, 0.24, 0.22};
        return stone * (0.8 + 0.2 * SmoothStep(0.02, 0.06, joint));
    });
}

TImage MakeMarble() {
    return Render(256, 256, 1, [](double u, double v) {
        const double turbulence = Fractal2(u * 4, v * 4, 71, 5, 4);
        const double wave = std::sin(2 * Pi * (2 * u + v) + 7.0 * turbulence);
        const double vein = std::pow(1 - std::fabs(wave), 10.0);
        const TRgb white{0.93, 0.92, 0.89}, grey{0.45, 0.46, 0.50};
        TRgb marble = white * (0.92 + 0.08 * Fractal2(u * 16, v * 16, 72, 3, 16));
        return Lerp(marble, grey, 0.75 * vein);
    });
}

TImage MakeEmblem() {
    return Render(256, 256, 3, [](double u, double v) {
        const double x = u - 0.5, y = v - 0.5;
        const double r = std::hypot(x, y);
        const double angle = std::atan2(y, x);
        const TRgb navy{0.07, 0.12, 0.32}, blue{0.16, 0.30, 0.62};
        TRgb colour = Lerp(blue, navy, Clamp01(r / 0.7));
        const TRgb gold{0.95, 0.75, 0.25};
        if (r > 0.36 && r < 0.43) colour = gold * (0.85 + 0.15 * std::cos(angle * 24));
        if (r > 0.445 && r < 0.46) colour = gold;
        // A four-pointed star with a small ring of dots between its points.
        const double star = 0.08 + 0.24 * std::pow(std::fabs(std::cos(2 * angle)), 8.0);
        if (r < star) colour = Lerp(TRgb{1, 1, 1}, gold, r / 0.32);
        for (int k = 0; k < 4; ++k) {
            const double a = Pi / 4 + k * Pi / 2;
            if (std::hypot(x - 0.22 * std::cos(a), y - 0.22 * std::sin(a)) < 0.035) colour = TRgb{0.9, 0.25, 0.2};
        }
        return colour;
    });
}

TImage MakeKnotPattern() {
    return Render(512, 128, 2, [](double u, double v) {
        constexpr int along = 8, around = 2;
        const int i = static_cast<int>(u * along), j = static_cast<int>(v * around);
        const double fx = u * along - i, fy = v * around - j;
        const TRgb coral{0.92, 0.40, 0.30}, cream{0.96, 0.90, 0.78}, teal{0.12, 0.55, 0.58};
        TRgb tile = (i + j) % 2 ? coral : teal;
        const double frame = std::min({fx, 1 - fx, fy, 1 - fy});
        if (frame < 0.06) return TRgb{0.95, 0.76, 0.30};
        const double dot = std::hypot(fx - 0.5, (fy - 0.5) * 0.5);
        if (dot < 0.16) tile = cream;
        return tile * (0.9 + 0.1 * Fractal2(u * 32, v * 32, 81, 2, 32));
    });
}
