// Indexed meshes and the shapes the demo scenes are made of. Every stream that is present holds one entry
// per vertex; the index list addresses all streams at once (3 per triangle, or 2 per line).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "MeshData.h"

TVec3 operator+(const TVec3& a, const TVec3& b);
TVec3 operator-(const TVec3& a, const TVec3& b);
TVec3 operator*(const TVec3& a, float k);
float Dot(const TVec3& a, const TVec3& b);
TVec3 Cross(const TVec3& a, const TVec3& b);
float Length(const TVec3& a);
TVec3 Normalized(const TVec3& a);  // the zero vector stays zero

// Gives every vertex the colour that `paint` returns for it (replacing any colours).
void Paint(TMesh& mesh, const std::function<TColor(const TVec3& position, const TVec3& normal)>& paint);

// A box with its base centred on the origin (z from 0 to size.Z). With unitsPerRepeat 0 each face shows the
// whole texture once; otherwise the texture repeats every unitsPerRepeat scene units on every face.
TMesh MakeBox(const TVec3& size, float unitsPerRepeat = 0.0f);

// A point of a lathe profile: radius and height, listed from the bottom up.
struct TProfilePoint {
    float Radius = 0, Height = 0;
};
// Turns the profile about the z axis. Normals are smooth along the profile; a corner is made by listing its
// point twice. u runs around `uRepeat` times, v follows the profile's length scaled by `vScale`.
TMesh MakeLathe(const std::vector<TProfilePoint>& profile, int segments, float uRepeat, float vScale);
TMesh MakeSphere(float radius, int segments, int rings);
// A torus about the z axis.
TMesh MakeTorus(float majorRadius, float minorRadius, int segments, int sides);
// A (p, q) torus knot in the xy plane, centre line radius between majorRadius - 1 and majorRadius + 1 times
// `scale`, as a tube; u runs along the tube `uRepeat` times, v once around it.
TMesh MakeTorusKnot(int p, int q, float scale, float tubeRadius, int segments, int sides, float uRepeat);
// A square pyramid frustum standing on the origin with its edges sharp.
TMesh MakeObelisk(float baseWidth, float topWidth, float height, float tipHeight);
// A rough boulder about the unit sphere, flattened at its base, from an icosphere pushed by noise.
TMesh MakeRock(std::uint32_t seed, int subdivisions);
// Lines along the edges of an n x n x n grid of cells filling a cube of the given size, standing on the origin.
TMesh MakeLattice(float size, int cells);
