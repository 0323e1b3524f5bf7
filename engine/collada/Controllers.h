// Controllers drawn without animation: a skin is its source mesh in its bind shape, a morph its base mesh.
#pragma once

#include "Libraries.h"
#include "LoadNotes.h"
#include "Transforms.h"
#include "XmlDocument.h"

struct TControlledGeometry {
    TXmlNode Geometry;  // none when the chain of controllers ends in no geometry
    // A skin's mesh in its bind shape lies where the bind shape matrix (of each skin of the chain) puts it;
    // a morph's base mesh is placed by its node.
    bool Skinned = false;
    TMatrix BindShape = IdentityMatrix;
};

// Follows the controller's source (a geometry, or another controller) to the geometry it deforms. A chain
// longer than a few controllers, or one that returns to a controller, is refused with a note.
TControlledGeometry ControlledGeometry(const TXmlNode& controller, const TLibraries& libraries, TLoadNotes* notes);
