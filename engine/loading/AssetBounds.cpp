#include "AssetBounds.h"

#include <algorithm>
#include <cmath>

namespace {

// Turns p by the angle in degrees about the axis (0 x, 1 y, 2 z), counter-clockwise looking down the axis, as
// glRotatef does.
void Turn(TScenePoint& p, double degrees, int axis) {
    const double radians = degrees * M_PI / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    const double pu = p[u], pv = p[v];
    p[u] = c * pu - s * pv;
    p[v] = s * pu + c * pv;
}

// A translate, three rotations and a scale as drawing applies them: scaled first, then turned about x, y and
// z, then moved.
void Place(TScenePoint& p, const TFloatArray& position, const TFloatArray& rotation, const TFloatArray& scale) {
    for (int i = 0; i < 3; ++i) p[i] *= scale[i];
    Turn(p, rotation[0], 0);
    Turn(p, rotation[1], 1);
    Turn(p, rotation[2], 2);
    for (int i = 0; i < 3; ++i) p[i] += position[i];
}

bool HasThree(const TFloatArray& values) { return values.Count() >= 3; }

// A node's placement followed by the asset's, as one affine map: it is worked out once per node from where
// the origin and the three axes go, as a million vertices would otherwise each take six sines and cosines.
class TDrawnPlacement {
public:
    TDrawnPlacement(const TNode& node, const TColladaAsset& asset) {
        const auto place = [&](TScenePoint p) {
            Place(p, node.Position, node.Rotation, node.Scale);
            Place(p, asset.Position, asset.Rotation, asset.Scale);
            return p;
        };
        Origin = place({0, 0, 0});
        for (int axis = 0; axis < 3; ++axis) {
            TScenePoint unit{0, 0, 0};
            unit[static_cast<std::size_t>(axis)] = 1;
            const TScenePoint image = place(unit);
            for (int i = 0; i < 3; ++i) Axes[axis][i] = image[i] - Origin[i];
        }
    }

    TScenePoint operator()(double x, double y, double z) const {
        TScenePoint p;
        for (int i = 0; i < 3; ++i) p[i] = Origin[i] + x * Axes[0][i] + y * Axes[1][i] + z * Axes[2][i];
        return p;
    }

private:
    TScenePoint Origin;
    std::array<TScenePoint, 3> Axes;
};

}  // namespace

void ForEachDrawnVertex(const TColladaAsset& asset, const std::function<void(const TScenePoint&)>& visit) {
    if (!asset.Visible) return;
    for (const auto& node : asset.VisualScenes->Items) {
        if (!asset.Draws(*node)) continue;
        if (!HasThree(node->Position) || !HasThree(node->Rotation) || !HasThree(node->Scale)) continue;
        const TGeometry& g = *asset.Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)];
        const TDrawnPlacement placement(*node, asset);
        for (std::size_t i = 0; i + 2 < g.Positions.Count(); i += 3) {
            const TScenePoint p = placement(g.Positions[i], g.Positions[i + 1], g.Positions[i + 2]);
            if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) visit(p);
        }
    }
}

void TBounds::Add(const TScenePoint& p) {
    for (int i = 0; i < 3; ++i) {
        Low[i] = Empty ? p[i] : std::min(Low[i], p[i]);
        High[i] = Empty ? p[i] : std::max(High[i], p[i]);
    }
    Empty = false;
}

TScenePoint TBounds::Centre() const { return {(Low[0] + High[0]) / 2, (Low[1] + High[1]) / 2, (Low[2] + High[2]) / 2}; }

double TBounds::LargestExtent() const { return std::max({High[0] - Low[0], High[1] - Low[1], High[2] - Low[2]}); }

double TBounds::Diagonal() const {
    const double x = High[0] - Low[0], y = High[1] - Low[1], z = High[2] - Low[2];
    return std::sqrt(x * x + y * y + z * z);
}

TBounds DrawnBounds(const TColladaAsset& asset) {
    TBounds bounds;
    ForEachDrawnVertex(asset, [&](const TScenePoint& p) { bounds.Add(p); });
    return bounds;
}
