#include "UserSceneView.h"

#include <algorithm>
#include <cmath>

#include "SceneFraming.h"

namespace {

// A walking eye a little lower than the framing of a picture: the ground still shows, the horizon too.
constexpr TFrameDirection StartDirection{20.0, 35.0};
// Ticks to walk across the scene's diagonal: a few seconds at 33 ticks a second, whatever its size.
constexpr double TicksAcross = 80.0;
// The eye's least height over the scene's lowest point: a person's, or less in a scene smaller than one.
constexpr double PersonHeight = 1.8;
constexpr double LowestEyeShare = 0.05;
// How far the eye may go from the scene's middle, in terms of its start's distance and of its size.
constexpr double RoamShare = 1.5;

}  // namespace

std::optional<TUserSceneView> ViewOfUserScene(const std::vector<const TColladaAsset*>& assets,
                                              double fieldOfViewDegrees, double aspect) {
    const std::optional<TFraming> framing = FrameAssets(assets, 'z', fieldOfViewDegrees, aspect, StartDirection);
    if (!framing) return std::nullopt;
    TBounds bounds;
    for (const TColladaAsset* asset : assets) ForEachDrawnVertex(*asset, [&](const TScenePoint& p) { bounds.Add(p); });
    const double size = framing->Size;

    TUserSceneView view;
    for (int i = 0; i < 3; ++i) view.CameraPosition[i] = framing->Eye[i];
    const TVector3 toCentre = {framing->Centre[0] - framing->Eye[0], framing->Centre[1] - framing->Eye[1],
                               framing->Centre[2] - framing->Eye[2]};
    const double distance =
        std::sqrt(toCentre[0] * toCentre[0] + toCentre[1] * toCentre[1] + toCentre[2] * toCentre[2]);
    // Forward(pitch, yaw) = (cos p cos y, -cos p sin y, -sin p), turned to look at the scene's middle.
    view.Yaw = std::atan2(-toCentre[1], toCentre[0]);
    view.Pitch = std::clamp(std::asin(std::clamp(-toCentre[2] / distance, -1.0, 1.0)), -PitchLimit, PitchLimit);

    view.Limits.Centre = {framing->Centre[0], framing->Centre[1], framing->Centre[2]};
    view.Limits.Radius = std::max(distance * RoamShare, size);
    view.Limits.FloorHeight = bounds.Low[2] + std::min(PersonHeight, size * LowestEyeShare);
    view.Limits.Step = size / TicksAcross;
    // Close enough to walk up to the scene's parts, far enough to see all of it from anywhere the eye may be.
    view.NearPlane = size * 1e-3;
    view.FarPlane = 2 * view.Limits.Radius + size;
    return view;
}
