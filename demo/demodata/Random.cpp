#include "Random.h"

#include <cmath>

std::uint64_t TRandom::Next() {
    // splitmix64: a full-period sequence whose output is defined by integer arithmetic alone.
    State += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = State;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double TRandom::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

namespace {

double LatticeValue(std::int64_t x, std::int64_t y, std::int64_t z, std::uint32_t seed) {
    std::uint64_t h = seed * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(x) * 0xC2B2AE3D27D4EB4Full;
    h ^= static_cast<std::uint64_t>(y) * 0x165667B19E3779F9ull;
    h ^= static_cast<std::uint64_t>(z) * 0x27D4EB2F165667C5ull;
    h = (h ^ (h >> 29)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 32)) * 0x94D049BB133111EBull;
    h ^= h >> 29;
    return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0);
}

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }
double Mix(double a, double b, double t) { return a + (b - a) * t; }

std::int64_t Wrap(std::int64_t i, int period) {
    if (period <= 0) return i;
    std::int64_t m = i % period;
    return m < 0 ? m + period : m;
}

}  // namespace

double ValueNoise2(double x, double y, std::uint32_t seed, int period) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
    const double tx = Smooth(x - fx), ty = Smooth(y - fy);
    auto at = [&](std::int64_t dx, std::int64_t dy) {
        return LatticeValue(Wrap(ix + dx, period), Wrap(iy + dy, period), 0, seed);
    };
    return Mix(Mix(at(0, 0), at(1, 0), tx), Mix(at(0, 1), at(1, 1), tx), ty);
}

double ValueNoise3(double x, double y, double z, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy),
               iz = static_cast<std::int64_t>(fz);
    const double tx = Smooth(x - fx), ty = Smooth(y - fy), tz = Smooth(z - fz);
    auto at = [&](std::int64_t dx, std::int64_t dy, std::int64_t dz) {
        return LatticeValue(ix + dx, iy + dy, iz + dz, seed);
    };
    const double low = Mix(Mix(at(0, 0, 0), at(1, 0, 0), tx), Mix(at(0, 1, 0), at(1, 1, 0), tx), ty);
    const double high = Mix(Mix(at(0, 0, 1), at(1, 0, 1), tx), Mix(at(0, 1, 1), at(1, 1, 1), tx), ty);
    return Mix(low, high, tz);
}

double Fractal2(double x, double y, std::uint32_t seed, int octaves, int period) {
    double sum = 0.0, weight = 1.0, total = 0.0, scale = 1.0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * ValueNoise2(x * scale, y * scale, seed + static_cast<std::uint32_t>(i) * 101u,
                                    period > 0 ? static_cast<int>(period * scale) : 0);
        total += weight;
        weight *= 0.5;
        scale *= 2.0;
    }
    return sum / total;
}

double Fractal3(double x, double y, double z, std::uint32_t seed, int octaves) {
    double sum = 0.0, weight = 1.0, total = 0.0, scale = 1.0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * ValueNoise3(x * scale, y * scale, z * scale, seed + static_cast<std::uint32_t>(i) * 101u);
        total += weight;
        weight *= 0.5;
        scale *= 2.0;
    }
    return sum / total;
}
