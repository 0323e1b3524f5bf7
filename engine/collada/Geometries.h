// A <geometry> read into meshes of the model scene: one per primitive block of its <mesh>, each with the
// material symbol that instances bind.
#pragma once

#include <string>
#include <vector>

#include "LoadNotes.h"
#include "ModelScene.h"
#include "XmlDocument.h"

struct TBlockMesh {
    int Mesh = 0;        // index into TModelScene::Meshes
    std::string Symbol;  // the block's material symbol; empty when it names none
};

// Appends the geometry's meshes to the scene. A geometry of no <mesh> (a convex hull, a spline, a boundary
// representation) gives none, with a note.
std::vector<TBlockMesh> ReadGeometry(const TXmlNode& geometry, TModelScene& scene, TLoadNotes* notes);
