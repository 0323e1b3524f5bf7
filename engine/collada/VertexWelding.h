// A primitive block made into a mesh: corners whose slots agree for every drawn stream share one vertex,
// and the runs of corners become triangles or lines.
#pragma once

#include "BlockCorners.h"
#include "BlockInputs.h"
#include "ModelScene.h"

struct TWeldCounts {
    long long OutOfRange = 0;    // stream indices outside their source: the vertex reads defaults there
    long long FacesDropped = 0;  // faces with a corner whose position lies outside its source
    long long ShortRuns = 0;     // polygons, strips and fans with too few corners to make a face
};

// Fills the mesh's streams and index list (its name and material are the caller's).
TWeldCounts WeldBlock(const TBlockCorners& corners, const TBlockInputs& inputs, TModelMesh& mesh);
