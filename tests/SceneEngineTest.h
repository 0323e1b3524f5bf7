// A headless engine that loads the test's own scenes: each scene is written to a file of its own, kept until
// the test ends, and loaded through LoadAsset as the programs load their documents.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "EngineDocuments.h"
#include "GlTestContext.h"

class TSceneEngineTest : public THeadlessEngineTest {
protected:
    TColladaAsset& Load(const TScene& scene) {
        Files.push_back(std::make_unique<TTempFile>("scene" + std::to_string(Files.size()) + ".dae", scene.Document()));
        const int index = Engine.LoadAsset(Files.back()->Path);
        EXPECT_GE(index, 0);
        return *Engine.Assets[static_cast<std::size_t>(index)];
    }

    std::vector<std::unique_ptr<TTempFile>> Files;
};
