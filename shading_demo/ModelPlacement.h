// A user's model in the shading demo: centred on the point the demo turns it about and scaled to fill about two
// thirds of the view, whatever its size and wherever its file put it. The demo's own model keeps its place.
#pragma once

class TColladaAsset;

// How much of the view's height the model's bounding sphere fills, whichever way it is turned.
constexpr double ViewShareFilled = 2.0 / 3.0;

// Moves the model's nodes so that the middle of what it draws lies at its origin, about which drawing turns
// it, and sets its scale so that its bounding sphere about that middle fills ViewShareFilled of the height of
// a view of the given field of view at `distance`. Nothing changes for a model that draws nothing.
void CentreAndFill(TColladaAsset& model, double distance, double fieldOfViewDegrees);
