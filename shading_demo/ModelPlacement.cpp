#include "ModelPlacement.h"

#include <algorithm>
#include <cmath>

#include "AssetBounds.h"

void CentreAndFill(TColladaAsset& model, double distance, double fieldOfViewDegrees) {
    const TBounds bounds = DrawnBounds(model);
    if (bounds.Empty) return;
    const TScenePoint centre = bounds.Centre();
    double radius = 0.0;
    ForEachDrawnVertex(model, [&](const TScenePoint& p) {
        const double x = p[0] - centre[0], y = p[1] - centre[1], z = p[2] - centre[2];
        radius = std::max(radius, std::sqrt(x * x + y * y + z * z));
    });
    const double scale = ViewShareFilled * distance * std::tan(fieldOfViewDegrees * M_PI / 360.0) / radius;
    if (!(radius > 0) || !std::isfinite(scale)) return;
    // A node's position is added after its own turns and scale, so taking the middle off it moves all it draws.
    for (const auto& node : model.VisualScenes->Items)
        if (node->Position.Count() >= 3)
            for (int i = 0; i < 3; ++i) node->Position[i] = static_cast<float>(node->Position[i] - centre[i]);
    for (int i = 0; i < 3; ++i) model.Scale[i] = static_cast<float>(scale);
}
