// Material preparation: node, effect and image followed to one texture per file, shared across nodes and
// documents, with file names handed over exactly as written.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "SceneEngineTest.h"

namespace {

// Two nodes whose materials end in the same image, one whose effect names no image and one without material.
TScene SharedImageScene(const std::string& file) {
    TScene scene;
    scene.Meshes = {Square("A", 0, 0, 1)};
    scene.Nodes = {MakeNode("First", "#A", "Stone"), MakeNode("Second", "#A", "Rock"), MakeNode("Blank", "#A", "Plain"),
                   MakeNode("Bare", "#A")};
    scene.Effects = {{"Stone-fx", "StoneImage"}, {"Rock-fx", "RockImage"}, {"Plain-fx", "NoSuchImage"}};
    scene.Images = {{"StoneImage", file}, {"RockImage", file}};
    return scene;
}

class MaterialTest : public TSceneEngineTest {
protected:
    static const std::vector<int>& Indices(const TColladaAsset& asset, std::size_t node) {
        return asset.VisualScenes->Items[node]->TextureIndices;
    }
};

}  // namespace

TEST_F(MaterialTest, WithoutAssetsNothingIsLoaded) {
    EXPECT_TRUE(Engine.PrepareMaterials());
    EXPECT_EQ(Engine.TextureEngine->Textures.Count(), 0);
}

TEST_F(MaterialTest, NodesAndDocumentsNamingOneFileShareOneTextureOnUnitZero) {
    TColladaAsset& ground = Load(SharedImageScene("stone.none"));
    TColladaAsset& rocks = Load(SharedImageScene("stone.none"));
    EXPECT_TRUE(Engine.PrepareMaterials());

    ASSERT_EQ(Engine.TextureEngine->Textures.Count(), 1);
    const TTexture& texture = *Engine.TextureEngine->Textures[0];
    EXPECT_EQ(texture.FileName, "stone.none") << "handed over as written, not next to the document";
    EXPECT_EQ(texture.Unit, GL_TEXTURE0_ARB);
    for (const TColladaAsset* asset : {&ground, &rocks}) {
        EXPECT_EQ(Indices(*asset, 0), (std::vector<int>{0}));
        EXPECT_EQ(Indices(*asset, 1), (std::vector<int>{0}));
        EXPECT_TRUE(Indices(*asset, 2).empty());
        EXPECT_TRUE(Indices(*asset, 3).empty());
    }
}

TEST_F(MaterialTest, AnImageThatCannotBeReadStopsThePreparationWhereItIs) {
    TScene scene;
    scene.Meshes = {Square("A", 0, 0, 1)};
    scene.Nodes = {MakeNode("Good", "#A", "Good"), MakeNode("Bad", "#A", "Bad"), MakeNode("Later", "#A", "Later")};
    scene.Effects = {{"Good-fx", "G"}, {"Bad-fx", "B"}, {"Later-fx", "L"}};
    const std::string missing = TTempFile::Directory() + "/missing.bmp";
    scene.Images = {{"G", "good.none"}, {"B", missing}, {"L", "later.none"}};
    TColladaAsset& asset = Load(scene);
    TColladaAsset& next = Load(SharedImageScene("next.none"));
    try {
        Engine.PrepareMaterials();
        FAIL() << "no error for " << missing;
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }
    EXPECT_EQ(Indices(asset, 0), (std::vector<int>{0}));
    EXPECT_TRUE(Indices(asset, 1).empty());
    EXPECT_TRUE(Indices(asset, 2).empty());
    EXPECT_TRUE(Indices(next, 0).empty());
    EXPECT_EQ(Engine.TextureEngine->Textures.Count(), 1);
}
