// The walking eye of the viewer: a position and two angles in double precision, z up. Pure functions on the
// viewer's state, so that the stepping rules can be checked without a window.
#pragma once

#include <array>

using TVector3 = std::array<double, 3>;
using TKeyTable = std::array<bool, 256>;

constexpr int KeyW = 87, KeyS = 83, KeyA = 65, KeyD = 68;
constexpr double WalkRadius = 50.0;                       // the eye never leaves this sphere about the origin
constexpr double EyeHeight = 1.8;                         // nor goes below this height above the ground z = 0
constexpr double PitchLimit = 1.5;                        // radians either way
constexpr double RadiansPerPixel = 0.014285714285714285;  // 70 pixels of drag turn the view one radian

// Where the eye looks: (1, 0, 0) pitched about y, then turned about z by -yaw. Positive pitch looks down and
// positive yaw turns right.
TVector3 Forward(double pitch, double yaw);
// The horizontal unit vector to the eye's left.
TVector3 Left(double yaw);

// Where the eye may walk and how far a tick takes it: the demo scene's are the constants above; a user's scene
// gets its own, which follow its size.
struct TWalkLimits {
    TVector3 Centre = {0.0, 0.0, 0.0};  // of the sphere the eye never leaves
    double Radius = WalkRadius;
    double FloorHeight = EyeHeight;  // the lowest z of the eye
    double Step = 1.0;               // the length of one tick's move per key
};

// One timer tick: w, s, a, d each move the eye one step (forward, back, left, right). A step that ends outside
// the sphere is undone whole; then the eye is raised to the floor height if it fell below it.
void WalkStep(TVector3& position, double pitch, double yaw, const TKeyTable& keyState, const TWalkLimits& limits = {});

// A mouse move of (dx, dy) pixels while dragging. A pitch change that would cross the limit is refused whole;
// yaw is never limited.
void TurnView(double& pitch, double& yaw, int dx, int dy);
