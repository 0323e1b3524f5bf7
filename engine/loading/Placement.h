// Node placement as the engine applies it: translate, then turn about z, y and x, then scale, so a vertex is
// scaled first and moved last. A world matrix of that shape becomes a placement; any other (a shear, a scale
// along axes the rotation has turned, a mirror) cannot, and its vertices are transformed instead.
#pragma once

#include <array>
#include <optional>

using TPoint3 = std::array<double, 3>;

// Row-major 4x4 matrix acting on column vectors; the last row is 0 0 0 1 for every matrix used here.
struct TMatrix {
    std::array<double, 16> M{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    double operator()(int row, int column) const { return M[static_cast<std::size_t>(row * 4 + column)]; }
    double& operator()(int row, int column) { return M[static_cast<std::size_t>(row * 4 + column)]; }

    static TMatrix Scaling(double x, double y, double z);
    static TMatrix Translation(double x, double y, double z);
    // Degrees about the given axis (0 x, 1 y, 2 z), counter-clockwise looking down the axis, as glRotate.
    static TMatrix Rotation(int axis, double degrees);

    TPoint3 TransformPoint(const TPoint3& p) const;
    // Normals go through the inverse transpose, turned to keep pointing out of a mirrored surface; the result
    // is unit length, or zero for a degenerate matrix.
    TPoint3 TransformNormal(const TPoint3& n) const;
    double Determinant3() const;
    bool Finite() const;
};

TMatrix operator*(const TMatrix& a, const TMatrix& b);

// Where a node puts its geometry: angles in degrees about x, y and z, applied z first as the engine draws.
struct TNodePlacement {
    TPoint3 Translate{0, 0, 0};
    TPoint3 Rotate{0, 0, 0};
    TPoint3 Scale{1, 1, 1};
};

// The matrix the engine builds from a placement.
TMatrix MatrixOf(const TNodePlacement& placement);

// The placement whose matrix equals `world` with positive scales, or none when no such translate-rotate-
// scale product gives it within a relative tolerance (a shear, a mirror, a zero scale).
std::optional<TNodePlacement> PlacementOf(const TMatrix& world);
