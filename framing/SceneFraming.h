// Views that frame what a scene draws: where a camera stands so that everything drawn fits its picture, seen
// from in front, to one side and above, so that a flat model is not seen edge-on; and the clipping distances
// that enclose it. For documents a user gives; the demo scene keeps its own fixed views.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "AssetBounds.h"

class TColladaAsset;

struct TFrameDirection {
    double ElevationDegrees = 30;  // above the horizontal
    double SideDegrees = 35;       // turned from straight in front towards the scene's right
};

struct TFraming {
    TScenePoint Eye{0, 0, 0};
    TScenePoint Centre{0, 0, 0};  // the middle of what is drawn, which the eye looks at
    TScenePoint Up{0, 0, 1};
    double NearPlane = 0.1;
    double FarPlane = 100;
    double Size = 1;  // the diagonal of the box around what is drawn
};

// The camera that fits every vertex the assets draw within a vertical field of view and a picture's aspect
// (width over height), with a small margin, looking at the middle of their box. "In front" is -y for a z-up
// scene and +z for a y-up one (the same side once the scene is turned up). None when nothing is drawn, or
// when the scene lies beyond what single precision can place.
std::optional<TFraming> FrameAssets(const std::vector<const TColladaAsset*>& assets, char upAxis,
                                    double fieldOfViewDegrees, double aspect, const TFrameDirection& direction = {});
