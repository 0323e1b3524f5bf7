// Node, effect and image followed to a file name that the texture store loads once; the node keeps the index.
#include "Colladaengine.h"

#include <GL/gl.h>
#include <GL/glext.h>

bool TColladaEngine::PrepareMaterials() {
    for (const auto& asset : Assets) {
        for (const auto& node : asset->VisualScenes->Items) {
            // Opened as written, relative to the working directory, like the documents themselves.
            if (const std::string* fileName = asset->TextureFileOf(*node))
                node->TextureIndices.push_back(TextureEngine->LoadTexture(*fileName, GL_TEXTURE0_ARB));
        }
    }
    return true;
}
