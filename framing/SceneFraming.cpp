#include "SceneFraming.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double FrameMargin = 1.05;  // the picture's sides stay this much wider than the scene

using TPoint = TScenePoint;

double Dot(const TPoint& a, const TPoint& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TPoint Cross(const TPoint& a, const TPoint& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

TPoint Minus(const TPoint& a, const TPoint& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

void ForEachPoint(const std::vector<const TColladaAsset*>& assets, const std::function<void(const TPoint&)>& visit) {
    for (const TColladaAsset* asset : assets) ForEachDrawnVertex(*asset, visit);
}

}  // namespace

std::optional<TFraming> FrameAssets(const std::vector<const TColladaAsset*>& assets, char upAxis,
                                    double fieldOfViewDegrees, double aspect, const TFrameDirection& direction) {
    TBounds bounds;
    ForEachPoint(assets, [&](const TPoint& p) { bounds.Add(p); });
    if (bounds.Empty) return std::nullopt;
    const TPoint centre = bounds.Centre();
    double size = bounds.Diagonal();
    if (!(size > 0.0) || !std::isfinite(size)) size = 1.0;

    const TPoint up = upAxis == 'y' ? TPoint{0, 1, 0} : TPoint{0, 0, 1};
    const TPoint front = upAxis == 'y' ? TPoint{0, 0, 1} : TPoint{0, -1, 0};
    const TPoint right = Cross(up, front);  // the scene's right, seen from in front
    const double elevation = direction.ElevationDegrees * M_PI / 180.0, side = direction.SideDegrees * M_PI / 180.0;
    TPoint back;  // from the centre towards the eye
    for (int i = 0; i < 3; ++i)
        back[i] =
            std::cos(elevation) * (std::cos(side) * front[i] + std::sin(side) * right[i]) + std::sin(elevation) * up[i];
    TPoint across = Cross(up, back);  // horizontal already: up and back span a vertical plane
    const double acrossLength = std::sqrt(Dot(across, across));
    for (double& a : across) a /= acrossLength;
    const TPoint screenUp = Cross(back, across);

    // The eye stands back just so far that every point lies within the field of view, both across and up.
    const double tanUp = std::tan(fieldOfViewDegrees * M_PI / 360.0) / FrameMargin;
    const double tanAcross = tanUp * aspect;
    double distance = 0.0;
    ForEachPoint(assets, [&](const TPoint& p) {
        const TPoint d = Minus(p, centre);
        const double needed = std::max(std::abs(Dot(d, across)) / tanAcross, std::abs(Dot(d, screenUp)) / tanUp);
        distance = std::max(distance, Dot(d, back) + needed);
    });
    distance += size * 0.01;  // no point on the axis right at the eye
    double nearest = distance, farthest = 0.0;
    ForEachPoint(assets, [&](const TPoint& p) {
        const double depth = distance - Dot(Minus(p, centre), back);
        nearest = std::min(nearest, depth);
        farthest = std::max(farthest, depth);
    });
    TFraming framing;
    for (int i = 0; i < 3; ++i) framing.Eye[i] = centre[i] + distance * back[i];
    framing.Centre = centre;
    framing.Up = up;
    framing.NearPlane = std::max(nearest / 2, size * 1e-3);
    framing.FarPlane = farthest * 1.5 + size * 1e-3;
    framing.Size = size;
    // A scene near the limits of single precision gives a camera that GL cannot take.
    const auto fits = [](double value) { return std::isfinite(static_cast<float>(value)); };
    if (!std::all_of(framing.Eye.begin(), framing.Eye.end(), fits) || !fits(framing.FarPlane)) return std::nullopt;
    return framing;
}
