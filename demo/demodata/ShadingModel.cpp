#include "ColladaWriter.h"
#include "Mesh.h"
#include "Scenes.h"

void WriteShadingModel(const std::string& folder) {
    // A (2, 3) torus knot, about 3.6 units in radius: seen from 12 units away with a 45 degree view it fills
    // most of the height, and its many curvatures catch the highlight wherever it turns.
    TColladaWriter document("Y_UP", "demodata");
    document.AddMaterial("Knot", DataPath("knot.jpg"), {0.6f, 50.0f});
    document.AddGeometry("TorusKnot", MakeTorusKnot(2, 3, 1.0f, 0.7f, 256, 24, 2.0f), "Knot");
    document.AddNode("TorusKnot", "TorusKnot", {});
    document.Save(folder + "/model.dae");
}
