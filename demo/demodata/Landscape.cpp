#include "Landscape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Random.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

float SmoothStep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace

float GroundHeight(float x, float y, float flatRadius) {
    const float r = std::hypot(x, y);
    const float rise = SmoothStep(flatRadius, flatRadius * 2.6f, r);
    if (rise <= 0.0f) return 0.0f;
    const auto hills = static_cast<float>(Fractal2(x / 70.0, y / 70.0, 7, 4));
    return rise * (2.0f + 30.0f * hills * hills);
}

TVec3 SunDirection() { return Normalized({0.45f, -0.35f, 0.82f}); }

TColor GrassTint() { return {0.62f, 0.80f, 0.45f, 1.0f}; }

TColor SkyTint(float t) {
    // Pale near the horizon, where the clouds are, deepening towards the zenith.
    const float k = std::pow(SmoothStep(0.12f, 1.0f, t), 1.5f);
    return {0.88f + (0.45f - 0.88f) * k, 0.93f + (0.62f - 0.93f) * k, 1.0f + (0.95f - 1.0f) * k, 1.0f};
}

TMesh MakeGround(float radius, float flatRadius, float unitsPerRepeat) {
    // Rings close together near the walker and ever wider apart towards the horizon.
    std::vector<float> rings = {0.0f};
    while (rings.back() < radius)
        rings.push_back(std::min(radius, rings.back() + std::max(1.5f, rings.back() * 0.08f)));
    constexpr int segments = 96;
    const float delta = 0.5f;
    auto height = [flatRadius](float x, float y) { return GroundHeight(x, y, flatRadius); };

    TMesh mesh;
    for (float r : rings)
        for (int s = 0; s <= segments; ++s) {
            const float angle = 2.0f * Pi * static_cast<float>(s) / segments;
            const float x = r * std::cos(angle), y = r * std::sin(angle);
            const TVec3 normal = Normalized({height(x - delta, y) - height(x + delta, y),
                                             height(x, y - delta) - height(x, y + delta), 2.0f * delta});
            mesh.Positions.push_back({x, y, height(x, y)});
            mesh.Normals.push_back(normal);
            mesh.TexCoords.push_back({x / unitsPerRepeat, y / unitsPerRepeat});
        }
    const auto stride = static_cast<std::uint32_t>(segments + 1);
    for (std::uint32_t ring = 0; ring + 1 < rings.size(); ++ring)
        for (std::uint32_t s = 0; s < static_cast<std::uint32_t>(segments); ++s) {
            const std::uint32_t a = ring * stride + s, b = a + 1, c = a + stride + 1, d = a + stride;
            if (ring == 0)
                mesh.Indices.insert(mesh.Indices.end(), {a, d, c});  // the centre ring is one point
            else
                mesh.Indices.insert(mesh.Indices.end(), {a, c, b, a, d, c});
        }
    const TVec3 sun = SunDirection();
    Paint(mesh, [&](const TVec3& p, const TVec3& n) {
        const auto patches = static_cast<float>(Fractal2(p.X / 9.0, p.Y / 9.0, 3, 4));
        const float light = 0.55f + 0.5f * std::max(0.0f, Dot(n, sun)) / sun.Z;
        const float shade = std::min(1.0f, light * (0.72f + 0.45f * patches));
        // Far slopes take on the blue of the air in front of them.
        const float haze = SmoothStep(60.0f, radius, std::hypot(p.X, p.Y)) * 0.3f;
        const TColor tint = GrassTint();
        return TColor{tint.R * shade * (1.0f - haze * 0.4f), tint.G * shade * (1.0f - haze * 0.15f),
                      std::min(1.0f, tint.B * shade * (1.0f + haze)), 1.0f};
    });
    return mesh;
}

TMesh MakeSkyDome(float radius, int segments, float uRepeat) {
    // Elevations in degrees, dense near the horizon where the sky's colours change fastest.
    const float elevations[] = {-20, -10, -4, 0, 3, 6, 10, 15, 20, 28, 36, 45, 55, 65, 75, 83, 90};
    std::vector<TProfilePoint> profile;
    for (float e : elevations) {
        const float a = e * Pi / 180.0f;
        profile.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    profile.back().Radius = 0.0f;
    TMesh mesh = MakeLathe(profile, segments, uRepeat, 0.0f);
    const auto stride = static_cast<std::size_t>(segments + 1);
    for (std::size_t ring = 0; ring < profile.size(); ++ring) {
        const float e = elevations[ring];
        // The texture keeps its lowest eighth for below the horizon.
        const float t = e < 0 ? 0.12f * (e + 20.0f) / 20.0f : 0.12f + 0.88f * e / 90.0f;
        for (std::size_t s = 0; s < stride; ++s) mesh.TexCoords[ring * stride + s].Y = std::clamp(t, 0.01f, 0.99f);
    }
    for (const TVec2& uv : mesh.TexCoords) mesh.Colors.push_back(SkyTint(uv.Y));
    // Seen from inside: normals point inwards and triangles turn the other way.
    for (TVec3& normal : mesh.Normals) normal = normal * -1.0f;
    for (std::size_t t = 0; t + 2 < mesh.Indices.size(); t += 3) std::swap(mesh.Indices[t + 1], mesh.Indices[t + 2]);
    return mesh;
}
