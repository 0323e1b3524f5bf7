// Vertices that agree in every stream, merged into one. Several readers give each corner a vertex of its own
// (OBJ, STL, ...); the document would carry every value up to six times over.
#pragma once

#include "MeshData.h"

// Keeps the first of each set of equal vertices, in order, and renumbers the indices to match.
void WeldVertices(TMesh& mesh);
