// The model library's materials as the door takes them: a diffuse colour (the base colour where the model gives
// one, with its opacity as alpha) and at most one image, a file named as the model wrote it or the bytes of an
// image the model holds. Texture files are never opened here: the door finds them by its one rule and decodes
// them itself.
#pragma once

#include <optional>
#include <string>

#include "ModelScene.h"

struct aiScene;

// The file name a model writes for a texture: "file://" taken off and %XX escapes decoded; none when the
// decoded name holds a NUL or another control byte, which no exporter writes and a hostile file uses to
// make a reader open a file other than the one the name shows.
std::optional<std::string> TextureFileName(const std::string& written);

// Fills scene.Materials, one for each of the library's (same indices), and scene.Images, each image once
// however many materials use it; a texture refused or unusable leaves its material untextured, with a warning
// naming the material.
void ConvertMaterials(const aiScene& source, TModelScene& scene);
