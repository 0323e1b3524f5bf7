#include "Transforms.h"

#include <cmath>
#include <numbers>
#include <string>
#include <string_view>

#include "Colladaasset.h"
#include "DecimalCommas.h"

namespace {

// The element's first `count` numbers, zeros for those its text is short of.
template <std::size_t Count>
std::array<double, Count> Numbers(const TXmlNode& element) {
    TFloatArray values;
    std::string storage;
    ParseFloatArray(values, WithDecimalPoints(element.Text(), storage), static_cast<int>(Count));
    std::array<double, Count> result{};
    for (std::size_t i = 0; i < Count; ++i) result[i] = values[i];
    return result;
}

using TVector = std::array<double, 3>;

TVector Cross(const TVector& a, const TVector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The unit vector along v; false for a vector of no length.
bool Normalize(TVector& v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0) || !std::isfinite(length)) return false;
    for (double& c : v) c /= length;
    return true;
}

TMatrix Translation(const std::array<double, 3>& t) {
    return {1, 0, 0, t[0], 0, 1, 0, t[1], 0, 0, 1, t[2], 0, 0, 0, 1};
}

// About the axis (x y z) by the angle in degrees, counter-clockwise seen from the axis's tip.
TMatrix Rotation(const std::array<double, 4>& axisAngle) {
    TVector axis{axisAngle[0], axisAngle[1], axisAngle[2]};
    if (!Normalize(axis)) return IdentityMatrix;
    const double angle = axisAngle[3] * std::numbers::pi / 180.0;
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const double x = axis[0], y = axis[1], z = axis[2];
    return {t * x * x + c,
            t * x * y - s * z,
            t * x * z + s * y,
            0,  //
            t * x * y + s * z,
            t * y * y + c,
            t * y * z - s * x,
            0,  //
            t * x * z - s * y,
            t * y * z + s * x,
            t * z * z + c,
            0,  //
            0,
            0,
            0,
            1};
}

TMatrix Scaling(const std::array<double, 3>& s) { return {s[0], 0, 0, 0, 0, s[1], 0, 0, 0, 0, s[2], 0, 0, 0, 0, 1}; }

// Eye, point looked at and up: the placement of something at the eye that looks along its -z at the point,
// its y towards up.
TMatrix LookAt(const std::array<double, 9>& v) {
    TVector back{v[0] - v[3], v[1] - v[4], v[2] - v[5]};
    const TVector up{v[6], v[7], v[8]};
    if (!Normalize(back)) return Translation({v[0], v[1], v[2]});
    TVector side = Cross(up, back);
    if (!Normalize(side)) return Translation({v[0], v[1], v[2]});
    const TVector upright = Cross(back, side);
    return {side[0], upright[0], back[0], v[0],  //
            side[1], upright[1], back[1], v[1],  //
            side[2], upright[2], back[2], v[2],  //
            0,       0,          0,       1};
}

// The angle in degrees, the axis turned and the axis moved along: a point p moves along the second axis by
// tan(angle) times its distance along the first, so that the first axis leans by the angle towards the second.
TMatrix Skew(const std::array<double, 7>& v) {
    TVector turned{v[1], v[2], v[3]}, along{v[4], v[5], v[6]};
    if (!Normalize(turned) || !Normalize(along)) return IdentityMatrix;
    const double lean = std::tan(v[0] * std::numbers::pi / 180.0);
    TMatrix result = IdentityMatrix;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) result[row * 4 + column] += lean * along[row] * turned[column];
    return result;
}

}  // namespace

TMatrix Multiply(const TMatrix& a, const TMatrix& b) {
    TMatrix result{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[row * 4 + k] * b[k * 4 + column];
            result[row * 4 + column] = sum;
        }
    return result;
}

TMatrix ReadMatrix(const TXmlNode& element) {
    const auto numbers = Numbers<16>(element);
    TMatrix result;
    std::copy(numbers.begin(), numbers.end(), result.begin());
    return result;
}

TMatrix NodeTransform(const TXmlNode& node) {
    TMatrix result = IdentityMatrix;
    for (TXmlNode child = node.FirstChildNode(); child; child = child.NextSibling()) {
        const std::string_view name = child.Name();
        if (name == "translate")
            result = Multiply(result, Translation(Numbers<3>(child)));
        else if (name == "rotate")
            result = Multiply(result, Rotation(Numbers<4>(child)));
        else if (name == "scale")
            result = Multiply(result, Scaling(Numbers<3>(child)));
        else if (name == "matrix")
            result = Multiply(result, ReadMatrix(child));
        else if (name == "lookat")
            result = Multiply(result, LookAt(Numbers<9>(child)));
        else if (name == "skew")
            result = Multiply(result, Skew(Numbers<7>(child)));
    }
    return result;
}
