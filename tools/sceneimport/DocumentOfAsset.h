// An asset as a document in the engine's own conventions (writer/): every node that draws, its geometry and
// its material, with the texture files the asset's images were written to.
#pragma once

#include <functional>
#include <string>

class TColladaAsset;

// The document's text. fileOf(name) gives the file a texture was written to for the asset's image file name,
// and fileOf("") that of a plain white texture for a node whose material names no image; upAxis is "Z_UP" or
// "Y_UP", what the document says of itself.
std::string DocumentOfAsset(const TColladaAsset& asset, const std::function<std::string(const std::string&)>& fileOf,
                            const std::string& upAxis);
