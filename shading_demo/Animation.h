// The shading demo's animation: the model's turn, the drag that tilts and turns it, and the light's circle.
// Angles of the model are degrees in 32-bit floats, the light's phase radians; sums are formed in double
// precision and stored back as floats.
#pragma once

constexpr double TurnPerTick = 1.2;                     // degrees: one turn in 9 seconds at 30 ms a tick
constexpr double DegreesPerPixel = 0.3333333333333333;  // three pixels of drag make one degree
constexpr double LightRadius = 30.0;
constexpr double LightPhasePerTick = 0.03;  // radians: one circle in about 6.3 seconds

// The turn after one tick: 1.2 degrees more, less 360 once the sum is over 360. Nothing wraps at the low end.
float TurnStep(float angleY);

// A mouse move of (dx, dy) pixels while dragging: down tilts about x, right turns about y. Never limited.
void DragModel(float& angleX, float& angleY, int dx, int dy);

// Puts x and y of the light's position on its circle at the given phase; z and w stay. Phase 0 is the top.
void PlaceLightOnCircle(float lightPosition[4], float lightPhase);
float NextLightPhase(float lightPhase);
