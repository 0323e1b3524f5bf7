// Turns a model scene (ModelScene.h) into the asset the engine draws, in the engine's own terms: every mesh a
// geometry with its vertices shared, every instance a top-level node placed by translate, three turns and a
// scale, every material an effect whose image is its texture (or a plain white one, with the material's colour
// in the vertices), in metres with the requested axis up. Nodes, effects and images are linked as a load of
// the same scene written as a document would link them, and their names are unique within their kind.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Colladaasset.h"
#include "ModelScene.h"

struct TBuildOptions {
    char UpAxis = 'z';                 // the axis the asset stands up along: 'z' or 'y'
    std::optional<double> SizeMetres;  // scale the scene so that its largest extent is this long
    // The image of materials drawn in their colour alone: a white one, since the programs multiply every
    // surface's colour by its texture while textures are switched on. Empty: such materials get no image.
    std::string PlainImageKey;
};

// imageKeys[i] is the file name the asset gives scene image i (the texture store's key for it); an empty key
// means the image could not be had, and its materials keep their colour. An instance whose placement is no
// translate-turn-scale product (a mirror, a shear) gets a geometry of its own with its vertices moved where it
// puts them, its normals turned out of the surface and its triangles wound to face the same way. What the
// build leaves out or changes is added to `warnings`, one sentence each. Never fails for what a scene holds:
// streams of the wrong length and indices past their vertices are left out, with a warning.
std::unique_ptr<TColladaAsset> BuildAsset(const TModelScene& scene, const std::vector<std::string>& imageKeys,
                                          TXmlDocument* document, const TBuildOptions& options,
                                          std::vector<std::string>& warnings);
