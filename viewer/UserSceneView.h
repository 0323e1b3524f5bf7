// The walk-through of a scene the user gives: the eye starts outside it with the whole of it in view, and the
// walking step, the floor, the sphere the eye may not leave and the clipping distances follow its size, so
// that a drill of 40 cm and a building of 400 m can both be walked around. The demo scene keeps its own.
#pragma once

#include <optional>
#include <vector>

#include "WalkCamera.h"

class TColladaAsset;

struct TUserSceneView {
    TVector3 CameraPosition = {0.0, 0.0, 0.0};
    double Pitch = 0.0;
    double Yaw = 0.0;
    TWalkLimits Limits;
    double NearPlane = 0.1;
    double FarPlane = 500.0;
};

// None when the assets draw nothing (the demo's start and limits then stay). The scene stands z up.
std::optional<TUserSceneView> ViewOfUserScene(const std::vector<const TColladaAsset*>& assets,
                                              double fieldOfViewDegrees, double aspect);
