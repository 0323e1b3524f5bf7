// Node, effect and image followed to a file name that the texture store loads once; the node keeps the index.
#include "Colladaengine.h"

#include <GL/gl.h>
#include <GL/glext.h>

bool TColladaEngine::PrepareMaterials() {
    for (const auto& asset : Assets) {
        for (const auto& node : asset->VisualScenes->Items) {
            if (node->EffectIndex == -1) continue;
            const TEffect* effect = asset->Effects->Items[static_cast<std::size_t>(node->EffectIndex)];
            if (effect->ImageIndex == -1) continue;
            // Opened as written, relative to the working directory, like the documents themselves.
            const std::string& fileName = asset->Images->FileNames[static_cast<std::size_t>(effect->ImageIndex)];
            node->TextureIndices.push_back(TextureEngine->LoadTexture(fileName, GL_TEXTURE0_ARB));
        }
    }
    return true;
}
