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

void WalkStep(TVector3& position, double pitch, double yaw, const TKeyTable& keyState, const TWalkLimits& limits) {
    const TVector3 forward = Normalised(Forward(pitch, yaw));
    const TVector3 left = Normalised(Left(yaw));
    const TVector3 before = position;
    if (keyState[KeyW]) Add(position, forward, limits.Step);
    if (keyState[KeyS]) Add(position, forward, -limits.Step);
    if (keyState[KeyA]) Add(position, left, limits.Step);
    if (keyState[KeyD]) Add(position, left, -limits.Step);
    const TVector3 away = {position[0] - limits.Centre[0], position[1] - limits.Centre[1],
                           position[2] - limits.Centre[2]};
    const double distance = std::sqrt(away[0] * away[0] + away[1] * away[1] + away[2] * away[2]);
    if (distance > limits.Radius) position = before;
    if (position[2] < limits.FloorHeight) position[2] = limits.FloorHeight;
}

void TurnView(double& pitch, double& yaw, int dx, int dy) {
    const double d = dy * RadiansPerPixel;
    const bool refused = (pitch + d < -PitchLimit && d < 0) || (pitch + d > PitchLimit && d > 0);
    if (!refused) pitch += d;
    yaw += dx * RadiansPerPixel;
}
