// Randomness for the demo data: a fixed-seed generator and lattice noise of our own, so that the generated
// files are byte for byte the same on every machine and with every standard library.
#pragma once

#include <cstdint>

class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : State(seed) {}

    std::uint64_t Next();
    // Uniform in [0, 1).
    double Uniform();
    // Uniform in [low, high).
    double Range(double low, double high) { return low + (high - low) * Uniform(); }

private:
    std::uint64_t State;
};

// Value noise in [0, 1] on the integer lattice, smoothly interpolated. With period > 0 the 2D noise repeats
// every `period` units in x and y, so textures made from it tile without a seam.
double ValueNoise2(double x, double y, std::uint32_t seed, int period = 0);
double ValueNoise3(double x, double y, double z, std::uint32_t seed);

// Sums of octaves (each twice the frequency and half the weight of the one before), scaled back to [0, 1].
// The periodic form doubles the period with the frequency, so every octave tiles over the same span.
double Fractal2(double x, double y, std::uint32_t seed, int octaves, int period = 0);
double Fractal3(double x, double y, double z, std::uint32_t seed, int octaves);
