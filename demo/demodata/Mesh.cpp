#include "Mesh.h"

#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>

#include "Random.h"

TVec3 operator+(const TVec3& a, const TVec3& b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
TVec3 operator-(const TVec3& a, const TVec3& b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
TVec3 operator*(const TVec3& a, float k) { return {a.X * k, a.Y * k, a.Z * k}; }
float Dot(const TVec3& a, const TVec3& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
TVec3 Cross(const TVec3& a, const TVec3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
float Length(const TVec3& a) { return std::sqrt(Dot(a, a)); }
TVec3 Normalized(const TVec3& a) {
    const float length = Length(a);
    return length > 0.0f ? a * (1.0f / length) : TVec3{};
}

void Paint(TMesh& mesh, const std::function<TColor(const TVec3&, const TVec3&)>& paint) {
    mesh.Colors.resize(mesh.Positions.size());
    for (std::size_t i = 0; i < mesh.Positions.size(); ++i)
        mesh.Colors[i] = paint(mesh.Positions[i], mesh.Normals.empty() ? TVec3{0, 0, 1} : mesh.Normals[i]);
}

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

// Turns every triangle so that its corners run counter-clockwise seen from the side its normals point to,
// which is what importers that cull back faces expect.
void OrientTriangles(TMesh& mesh) {
    for (std::size_t t = 0; t + 2 < mesh.Indices.size(); t += 3) {
        const std::uint32_t a = mesh.Indices[t], b = mesh.Indices[t + 1], c = mesh.Indices[t + 2];
        const TVec3 face = Cross(mesh.Positions[b] - mesh.Positions[a], mesh.Positions[c] - mesh.Positions[a]);
        const TVec3 normal = mesh.Normals[a] + mesh.Normals[b] + mesh.Normals[c];
        if (Dot(face, normal) < 0.0f) std::swap(mesh.Indices[t + 1], mesh.Indices[t + 2]);
    }
}

// A grid of (columns + 1) x (rows + 1) vertices, made of quads between neighbours; the last column repeats
// the first in position with its own texture coordinate, so that a wrapped texture has no seam.
void AddGridIndices(TMesh& mesh, std::uint32_t base, int columns, int rows) {
    const auto stride = static_cast<std::uint32_t>(columns + 1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const std::uint32_t a = base + static_cast<std::uint32_t>(r) * stride + static_cast<std::uint32_t>(c);
            const std::uint32_t b = a + 1, d = a + stride, e = d + 1;
            mesh.Indices.insert(mesh.Indices.end(), {a, b, e, a, e, d});
        }
}

void AddQuad(TMesh& mesh, const TVec3 (&corners)[4], const std::array<TVec2, 4>& uv) {
    const TVec3 normal = Normalized(Cross(corners[1] - corners[0], corners[2] - corners[0]));
    const auto base = static_cast<std::uint32_t>(mesh.Positions.size());
    for (int i = 0; i < 4; ++i) {
        mesh.Positions.push_back(corners[i]);
        mesh.Normals.push_back(normal);
        mesh.TexCoords.push_back(uv[i]);
    }
    mesh.Indices.insert(mesh.Indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
}

void AddTriangle(TMesh& mesh, const TVec3& a, const TVec3& b, const TVec3& c) {
    const TVec3 normal = Normalized(Cross(b - a, c - a));
    const auto base = static_cast<std::uint32_t>(mesh.Positions.size());
    const TVec3 corners[3] = {a, b, c};
    const TVec2 uv[3] = {{0, 0}, {1, 0}, {0.5f, 1}};
    for (int i = 0; i < 3; ++i) {
        mesh.Positions.push_back(corners[i]);
        mesh.Normals.push_back(normal);
        mesh.TexCoords.push_back(uv[i]);
    }
    mesh.Indices.insert(mesh.Indices.end(), {base, base + 1, base + 2});
}

}  // namespace

TMesh MakeBox(const TVec3& size, float unitsPerRepeat) {
    TMesh mesh;
    const float x = size.X / 2, y = size.Y / 2, z = size.Z;
    auto uv = [unitsPerRepeat](float width, float height) {
        const float s = unitsPerRepeat > 0 ? width / unitsPerRepeat : 1.0f;
        const float t = unitsPerRepeat > 0 ? height / unitsPerRepeat : 1.0f;
        return std::array<TVec2, 4>{TVec2{0, 0}, TVec2{s, 0}, TVec2{s, t}, TVec2{0, t}};
    };
    AddQuad(mesh, {{-x, -y, 0}, {x, -y, 0}, {x, -y, z}, {-x, -y, z}}, uv(size.X, z));     // front (-y)
    AddQuad(mesh, {{x, -y, 0}, {x, y, 0}, {x, y, z}, {x, -y, z}}, uv(size.Y, z));         // right (+x)
    AddQuad(mesh, {{x, y, 0}, {-x, y, 0}, {-x, y, z}, {x, y, z}}, uv(size.X, z));         // back (+y)
    AddQuad(mesh, {{-x, y, 0}, {-x, -y, 0}, {-x, -y, z}, {-x, y, z}}, uv(size.Y, z));     // left (-x)
    AddQuad(mesh, {{-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}}, uv(size.X, size.Y));  // top
    AddQuad(mesh, {{-x, y, 0}, {x, y, 0}, {x, -y, 0}, {-x, -y, 0}}, uv(size.X, size.Y));  // bottom
    return mesh;
}

TMesh MakeLathe(const std::vector<TProfilePoint>& profile, int segments, float uRepeat, float vScale) {
    TMesh mesh;
    const int n = static_cast<int>(profile.size());
    auto same = [&](int i, int j) {
        return profile[i].Radius == profile[j].Radius && profile[i].Height == profile[j].Height;
    };
    float along = 0.0f;
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            along += std::hypot(profile[i].Radius - profile[i - 1].Radius, profile[i].Height - profile[i - 1].Height);
        // A point listed twice is a corner: each copy takes its tangent from its own side only.
        const int prev = (i > 0 && !same(i - 1, i)) ? i - 1 : i;
        const int next = (i + 1 < n && !same(i + 1, i)) ? i + 1 : i;
        const float dr = profile[next].Radius - profile[prev].Radius;
        const float dz = profile[next].Height - profile[prev].Height;
        const float length = std::hypot(dr, dz);
        const float nr = length > 0 ? dz / length : 0.0f, nz = length > 0 ? -dr / length : 0.0f;
        for (int s = 0; s <= segments; ++s) {
            const float angle = 2.0f * Pi * static_cast<float>(s) / static_cast<float>(segments);
            const float c = std::cos(angle), sn = std::sin(angle);
            mesh.Positions.push_back({profile[i].Radius * c, profile[i].Radius * sn, profile[i].Height});
            mesh.Normals.push_back({nr * c, nr * sn, nz});
            mesh.TexCoords.push_back({uRepeat * static_cast<float>(s) / static_cast<float>(segments), along * vScale});
        }
    }
    const auto stride = static_cast<std::uint32_t>(segments + 1);
    for (int i = 0; i + 1 < n; ++i) {
        if (same(i, i + 1)) continue;
        AddGridIndices(mesh, static_cast<std::uint32_t>(i) * stride, segments, 1);
    }
    OrientTriangles(mesh);
    return mesh;
}

TMesh MakeSphere(float radius, int segments, int rings) {
    std::vector<TProfilePoint> profile;
    for (int r = 0; r <= rings; ++r) {
        const float angle = Pi * static_cast<float>(r) / static_cast<float>(rings);
        profile.push_back({radius * std::sin(angle), -radius * std::cos(angle)});
    }
    TMesh mesh = MakeLathe(profile, segments, 1.0f, 1.0f / (Pi * radius));
    for (std::size_t i = 0; i < mesh.Positions.size(); ++i) mesh.Normals[i] = Normalized(mesh.Positions[i]);
    return mesh;
}

TMesh MakeTorus(float majorRadius, float minorRadius, int segments, int sides) {
    TMesh mesh;
    for (int j = 0; j <= sides; ++j) {
        const float v = 2.0f * Pi * static_cast<float>(j) / static_cast<float>(sides);
        for (int i = 0; i <= segments; ++i) {
            const float u = 2.0f * Pi * static_cast<float>(i) / static_cast<float>(segments);
            const TVec3 normal{std::cos(v) * std::cos(u), std::cos(v) * std::sin(u), std::sin(v)};
            const TVec3 centre{majorRadius * std::cos(u), majorRadius * std::sin(u), 0};
            mesh.Positions.push_back(centre + normal * minorRadius);
            mesh.Normals.push_back(normal);
            mesh.TexCoords.push_back({static_cast<float>(i) / static_cast<float>(segments) * 4.0f,
                                      static_cast<float>(j) / static_cast<float>(sides)});
        }
    }
    AddGridIndices(mesh, 0, segments, sides);
    OrientTriangles(mesh);
    return mesh;
}

TMesh MakeTorusKnot(int p, int q, float scale, float tubeRadius, int segments, int sides, float uRepeat) {
    auto curve = [&](float t) {
        const float r = 2.0f + std::cos(static_cast<float>(q) * t);
        return TVec3{r * std::cos(static_cast<float>(p) * t), r * std::sin(static_cast<float>(p) * t),
                     std::sin(static_cast<float>(q) * t)} *
               scale;
    };
    TMesh mesh;
    for (int i = 0; i <= segments; ++i) {
        const float t = 2.0f * Pi * static_cast<float>(i) / static_cast<float>(segments);
        // A frame made from the curve alone is periodic, so the tube closes on itself without a twist.
        const TVec3 here = curve(t), ahead = curve(t + 0.01f);
        const TVec3 tangent = ahead - here;
        const TVec3 binormal = Normalized(Cross(tangent, ahead + here));
        const TVec3 normal = Normalized(Cross(binormal, tangent));
        for (int j = 0; j <= sides; ++j) {
            const float v = 2.0f * Pi * static_cast<float>(j) / static_cast<float>(sides);
            const TVec3 out = normal * std::cos(v) + binormal * std::sin(v);
            mesh.Positions.push_back(here + out * tubeRadius);
            mesh.Normals.push_back(out);
            mesh.TexCoords.push_back({uRepeat * static_cast<float>(i) / static_cast<float>(segments),
                                      static_cast<float>(j) / static_cast<float>(sides)});
        }
    }
    AddGridIndices(mesh, 0, sides, segments);
    OrientTriangles(mesh);
    return mesh;
}

TMesh MakeObelisk(float baseWidth, float topWidth, float height, float tipHeight) {
    TMesh mesh;
    const float b = baseWidth / 2, t = topWidth / 2;
    const TVec3 base[4] = {{-b, -b, 0}, {b, -b, 0}, {b, b, 0}, {-b, b, 0}};
    const TVec3 top[4] = {{-t, -t, height}, {t, -t, height}, {t, t, height}, {-t, t, height}};
    const TVec3 tip{0, 0, height + tipHeight};
    const float vTop = height / baseWidth;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const float inset = (b - t) / baseWidth;
        AddQuad(mesh, {base[i], base[j], top[j], top[i]},
                std::array<TVec2, 4>{{{0, 0}, {1, 0}, {1 - inset, vTop}, {inset, vTop}}});
        AddTriangle(mesh, top[i], top[j], tip);
    }
    AddQuad(mesh, {base[3], base[2], base[1], base[0]}, std::array<TVec2, 4>{{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
    return mesh;
}

TMesh MakeRock(std::uint32_t seed, int subdivisions) {
    // An icosahedron, each face split in four per subdivision, its vertices shared.
    const float g = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<TVec3> points = {{-1, g, 0},  {1, g, 0},  {-1, -g, 0}, {1, -g, 0}, {0, -1, g},  {0, 1, g},
                                 {0, -1, -g}, {0, 1, -g}, {g, 0, -1},  {g, 0, 1},  {-g, 0, -1}, {-g, 0, 1}};
    for (TVec3& point : points) point = Normalized(point);
    std::vector<std::uint32_t> faces = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                                        4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                                        6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (int level = 0; level < subdivisions; ++level) {
        std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> middles;
        auto middle = [&](std::uint32_t a, std::uint32_t b) {
            const auto key = std::minmax(a, b);
            auto found = middles.find(key);
            if (found != middles.end()) return found->second;
            points.push_back(Normalized(points[a] + points[b]));
            const auto index = static_cast<std::uint32_t>(points.size() - 1);
            middles.emplace(key, index);
            return index;
        };
        std::vector<std::uint32_t> finer;
        for (std::size_t f = 0; f < faces.size(); f += 3) {
            const std::uint32_t a = faces[f], b = faces[f + 1], c = faces[f + 2];
            const std::uint32_t ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        faces = std::move(finer);
    }
    TMesh mesh;
    const float shift = static_cast<float>(seed % 97u);
    for (const TVec3& point : points) {
        const double bump = Fractal3(point.X * 1.6 + shift, point.Y * 1.6, point.Z * 1.6, seed, 4);
        TVec3 p = point * static_cast<float>(0.75 + 0.55 * bump);
        p.Z = std::max(p.Z * 0.75f, -0.25f);  // squat, with a flat foot that sits in the ground
        mesh.Positions.push_back(p);
        mesh.TexCoords.push_back({0.6f * (p.X + 0.4f * p.Y), 0.6f * (p.Z + 0.4f * p.Y)});
    }
    mesh.Indices = faces;
    // Smooth normals: each vertex takes the area-weighted sum of the faces around it.
    mesh.Normals.assign(mesh.Positions.size(), TVec3{});
    for (std::size_t f = 0; f < faces.size(); f += 3) {
        const TVec3 face = Cross(mesh.Positions[faces[f + 1]] - mesh.Positions[faces[f]],
                                 mesh.Positions[faces[f + 2]] - mesh.Positions[faces[f]]);
        for (int k = 0; k < 3; ++k) mesh.Normals[faces[f + k]] = mesh.Normals[faces[f + k]] + face;
    }
    for (TVec3& normal : mesh.Normals) normal = Normalized(normal);
    OrientTriangles(mesh);
    return mesh;
}

TMesh MakeLattice(float size, int cells) {
    TMesh mesh;
    mesh.Lines = true;
    const float step = size / static_cast<float>(cells), half = size / 2;
    const int n = cells + 1;
    auto index = [n](int i, int j, int k) { return static_cast<std::uint32_t>((k * n + j) * n + i); };
    const TVec3 centre{0, 0, half};
    for (int k = 0; k < n; ++k)
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const TVec3 p{-half + step * static_cast<float>(i), -half + step * static_cast<float>(j),
                              step * static_cast<float>(k)};
                mesh.Positions.push_back(p);
                mesh.Normals.push_back(Normalized(p - centre));
                mesh.TexCoords.push_back({(p.X + p.Y) / size + 0.5f, p.Z / size});
            }
    for (int k = 0; k < n; ++k)
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                if (i + 1 < n) mesh.Indices.insert(mesh.Indices.end(), {index(i, j, k), index(i + 1, j, k)});
                if (j + 1 < n) mesh.Indices.insert(mesh.Indices.end(), {index(i, j, k), index(i, j + 1, k)});
                if (k + 1 < n) mesh.Indices.insert(mesh.Indices.end(), {index(i, j, k), index(i, j, k + 1)});
            }
    return mesh;
}
