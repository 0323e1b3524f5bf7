#include "Placement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double DegreesPerRadian = 180.0 / std::numbers::pi;

// How far from orthogonal, relative to their lengths, two scaled axes may be and still count as a rotation
// with a scale: far below what shows, well above the rounding of matrices read from text.
constexpr double AxisTolerance = 1e-4;

}  // namespace

TMatrix TMatrix::Scaling(double x, double y, double z) {
    TMatrix m;
    m(0, 0) = x;
    m(1, 1) = y;
    m(2, 2) = z;
    return m;
}

TMatrix TMatrix::Translation(double x, double y, double z) {
    TMatrix m;
    m(0, 3) = x;
    m(1, 3) = y;
    m(2, 3) = z;
    return m;
}

TMatrix TMatrix::Rotation(int axis, double degrees) {
    const double radians = degrees / DegreesPerRadian, c = std::cos(radians), s = std::sin(radians);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    TMatrix m;
    m(a, a) = c;
    m(a, b) = -s;
    m(b, a) = s;
    m(b, b) = c;
    return m;
}

TMatrix operator*(const TMatrix& a, const TMatrix& b) {
    TMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a(r, k) * b(k, c);
            out(r, c) = sum;
        }
    return out;
}

TPoint3 TMatrix::TransformPoint(const TPoint3& p) const {
    const TMatrix& m = *this;
    TPoint3 out;
    for (int r = 0; r < 3; ++r) out[r] = m(r, 0) * p[0] + m(r, 1) * p[1] + m(r, 2) * p[2] + m(r, 3);
    return out;
}

double TMatrix::Determinant3() const {
    const TMatrix& m = *this;
    return m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) - m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
           m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
}

bool TMatrix::Finite() const {
    return std::all_of(M.begin(), M.end(), [](double value) { return std::isfinite(value); });
}

TPoint3 TMatrix::TransformNormal(const TPoint3& n) const {
    // The cofactor matrix is the inverse transpose times the determinant; its sign keeps normals pointing
    // out of a mirrored surface, and the length is normalised away.
    const TMatrix& m = *this;
    const double sign = Determinant3() < 0 ? -1.0 : 1.0;
    const auto cofactor = [&](int r, int c) {
        const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
        return sign * (m(r1, c1) * m(r2, c2) - m(r1, c2) * m(r2, c1));
    };
    TPoint3 out;
    for (int r = 0; r < 3; ++r) out[r] = cofactor(r, 0) * n[0] + cofactor(r, 1) * n[1] + cofactor(r, 2) * n[2];
    const double length = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0};
    return {out[0] / length, out[1] / length, out[2] / length};
}

TMatrix MatrixOf(const TNodePlacement& p) {
    return TMatrix::Translation(p.Translate[0], p.Translate[1], p.Translate[2]) * TMatrix::Rotation(2, p.Rotate[2]) *
           TMatrix::Rotation(1, p.Rotate[1]) * TMatrix::Rotation(0, p.Rotate[0]) *
           TMatrix::Scaling(p.Scale[0], p.Scale[1], p.Scale[2]);
}

std::optional<TNodePlacement> PlacementOf(const TMatrix& world) {
    if (!world.Finite()) return std::nullopt;
    // The columns of the 3x3 part are the rotated axes, each stretched by its scale.
    double axis[3][3], scale[3];
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) axis[c][r] = world(r, c);
        scale[c] = std::sqrt(axis[c][0] * axis[c][0] + axis[c][1] * axis[c][1] + axis[c][2] * axis[c][2]);
        if (!(scale[c] > 0) || !std::isfinite(scale[c])) return std::nullopt;
    }
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) {
            const double dot = axis[a][0] * axis[b][0] + axis[a][1] * axis[b][1] + axis[a][2] * axis[b][2];
            if (std::fabs(dot) > AxisTolerance * scale[a] * scale[b]) return std::nullopt;
        }
    // A mirror could be a negative scale, but the programs light the side a triangle's winding faces, and
    // a mirror turns every winding over: mirrored instances are transformed, their triangles turned back.
    if (world.Determinant3() < 0) return std::nullopt;

    double r[3][3];  // the rotation, row-major
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) r[row][c] = axis[c][row] / scale[c];

    // r = Rz(a) Ry(b) Rx(c): r[2][0] = -sin b; r[1][0] / r[0][0] = tan a; r[2][1] / r[2][2] = tan c.
    const double sinB = std::clamp(-r[2][0], -1.0, 1.0);
    double a, b = std::asin(sinB), c;
    if (std::fabs(sinB) < 1.0 - 1e-9) {
        a = std::atan2(r[1][0], r[0][0]);
        c = std::atan2(r[2][1], r[2][2]);
    } else {
        // Looking straight along x: only a - c (or a + c) is defined, so c takes 0.
        c = 0;
        a = std::atan2(-r[0][1], r[1][1]);
    }
    return TNodePlacement{{world(0, 3), world(1, 3), world(2, 3)},
                          {c * DegreesPerRadian, b * DegreesPerRadian, a * DegreesPerRadian},
                          {scale[0], scale[1], scale[2]}};
}
