// Where an asset's drawn vertices lie once the engine has placed them: through each node's placement and then
// the asset's own, as drawing applies them. Framing a scene in a view and scaling it to a size start here.
#pragma once

#include <array>
#include <functional>

#include "Colladaasset.h"

using TScenePoint = std::array<double, 3>;

// Every vertex a frame draws of the asset (the nodes that draw; nothing while the asset is hidden), in the
// coordinates of the scene it is drawn in; vertices that are not finite there are left out.
void ForEachDrawnVertex(const TColladaAsset& asset, const std::function<void(const TScenePoint&)>& visit);

// The box around a set of points; empty until a point is added.
struct TBounds {
    TScenePoint Low{0, 0, 0};
    TScenePoint High{0, 0, 0};
    bool Empty = true;

    void Add(const TScenePoint& p);
    TScenePoint Centre() const;
    // The longest side, and the length of the diagonal; 0 for an empty box.
    double LargestExtent() const;
    double Diagonal() const;
};

TBounds DrawnBounds(const TColladaAsset& asset);
