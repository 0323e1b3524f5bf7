#include "Animation.h"

#include <cmath>

float TurnStep(float angleY) {
    float turned = static_cast<float>(angleY + TurnPerTick);
    if (turned > 360.0f) turned = turned - 360.0f;
    return turned;
}

void DragModel(float& angleX, float& angleY, int dx, int dy) {
    angleX = static_cast<float>(angleX + dy * DegreesPerPixel);
    angleY = static_cast<float>(angleY + dx * DegreesPerPixel);
}

void PlaceLightOnCircle(float lightPosition[4], float lightPhase) {
    lightPosition[0] = static_cast<float>(std::sin(static_cast<double>(lightPhase)) * LightRadius);
    lightPosition[1] = static_cast<float>(std::cos(static_cast<double>(lightPhase)) * LightRadius);
}

float NextLightPhase(float lightPhase) { return static_cast<float>(lightPhase + LightPhasePerTick); }
