#include "WalkCamera.h"

#include <cmath>

namespace {

TVector3 Normalised(const TVector3& v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

void Add(TVector3& position, const TVector3& v, double sign) {
    for (int i = 0; i < 3; ++i) position[i] += sign * v[i];
}

}  // namespace

TVector3 Forward(double pitch, double yaw) {
    return {std::cos(pitch) * std::cos(yaw), -std::cos(pitch) * std::sin(yaw), -std::sin(pitch)};
}

TVector3 Left(double yaw) { return {std::sin(yaw), std::cos(yaw), 0.0}; }

void WalkStep(TVector3& position, double pitch, double yaw, const TKeyTable& keyState) {
    const TVector3 forward = Normalised(Forward(pitch, yaw));
    const TVector3 left = Normalised(Left(yaw));
    const TVector3 before = position;
    if (keyState[KeyW]) Add(position, forward, 1.0);
    if (keyState[KeyS]) Add(position, forward, -1.0);
    if (keyState[KeyA]) Add(position, left, 1.0);
    if (keyState[KeyD]) Add(position, left, -1.0);
    const double distance =
        std::sqrt(position[0] * position[0] + position[1] * position[1] + position[2] * position[2]);
    if (distance > WalkRadius) position = before;
    if (position[2] < EyeHeight) position[2] = EyeHeight;
}

void TurnView(double& pitch, double& yaw, int dx, int dy) {
    const double d = dy * RadiansPerPixel;
    const bool refused = (pitch + d < -PitchLimit && d < 0) || (pitch + d > PitchLimit && d > 0);
    if (!refused) pitch += d;
    yaw += dx * RadiansPerPixel;
}
