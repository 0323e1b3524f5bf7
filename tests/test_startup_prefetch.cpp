// Start-up with the documents read and the textures decoded ahead on a second thread: whatever the scene, the
// engine ends in the state a start-up that does everything in turn reaches, with the same first error, the
// same textures and the same texels.
#include <exception>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include "EngineDocuments.h"
#include "GlTestContext.h"
#include "StartupPrefetch.h"
#include "TestImages.h"

namespace {

// What a window sees after its start-up: the loads' results up to the first error, that error, and the
// textures as GL holds them.
struct TOutcome {
    std::vector<int> AssetIndices;
    std::string Error;  // the exception's type and message; empty when none
    std::vector<std::vector<int>> NodeTextures;
    std::vector<std::string> TextureFiles;
    std::vector<std::vector<unsigned char>> Texels;  // level 0 of each texture: width, height, then RGBA
    long long PixelsLeft = 0;
    bool operator==(const TOutcome&) const = default;
};

void PrintTo(const TOutcome& outcome, std::ostream* out) {
    *out << "{assets " << testing::PrintToString(outcome.AssetIndices) << ", error \"" << outcome.Error
         << "\", textures " << testing::PrintToString(outcome.TextureFiles) << "}";
}

std::vector<unsigned char> TexelsOf(const TTexture& texture) {
    glBindTexture(GL_TEXTURE_2D, texture.Id);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> texels(std::size_t(width) * height * 4 + 2);
    texels[0] = static_cast<unsigned char>(width);
    texels[1] = static_cast<unsigned char>(height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (width > 0 && height > 0) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data() + 2);
    return texels;
}

// A window's start-up: the engine, then each document through LoadAsset, then the material preparation.
// With `ahead`, the documents are handed to a prefetch made before the engine, as the programs do.
TOutcome StartUp(const std::vector<std::string>& documents, bool ahead,
                 const std::vector<std::string>& loadOrder = {}) {
    TXmlDocument document;
    TReadAhead prefetch;
    if (ahead) prefetch = StartReadAhead(&document, documents);
    TColladaEngine engine(&document, TNativeWindow{}, 16, 16);
    engine.UsePrefetch(std::move(prefetch));
    TOutcome outcome;
    try {
        for (const std::string& file : loadOrder.empty() ? documents : loadOrder)
            outcome.AssetIndices.push_back(engine.LoadAsset(file));
        engine.PrepareMaterials();
    } catch (const std::exception& error) {
        outcome.Error = std::string(typeid(error).name()) + ": " + error.what();
    }
    for (const auto& asset : engine.Assets)
        for (const auto& node : asset->VisualScenes->Items) outcome.NodeTextures.push_back(node->TextureIndices);
    for (const auto& texture : engine.TextureEngine->Textures) {
        outcome.TextureFiles.push_back(texture->FileName);
        outcome.Texels.push_back(TexelsOf(*texture));
    }
    outcome.PixelsLeft = engine.TextureEngine->PixelsLeft();
    return outcome;
}

// A document of one textured triangle per image file, in the order given.
std::string TexturedDocument(const std::vector<std::string>& imageFiles) {
    TScene scene;
    scene.Meshes.push_back(Triangle("T", 1.0f));
    for (std::size_t i = 0; i < imageFiles.size(); ++i) {
        const std::string n = std::to_string(i);
        scene.Nodes.push_back(MakeNode("node" + n, "#T", "m" + n));
        scene.Effects.push_back({"m" + n + "-fx", "image" + n});
        scene.Images.push_back({"image" + n, imageFiles[i]});
    }
    return scene.Document();
}

class StartupPrefetch : public ::testing::Test {
protected:
    std::string File(const std::string& name, const std::string& contents) {
        Files.push_back(std::make_unique<TTempFile>(name, contents));
        return Files.back()->Path;
    }
    std::string Image(const std::string& name, int width, int height) {
        return File(name, name.ends_with(".bmp") ? Bmp24(Gradient(width, height)) : WriteJpeg(Gradient(width, height)));
    }

    std::vector<std::unique_ptr<TTempFile>> Files;
};

TEST_F(StartupPrefetch, AGoodSceneEndsWithTheSameAssetsTexturesAndTexels) {
    const std::string a = Image("a.bmp", 5, 3), b = Image("b.jpg", 17, 9), c = Image("c.bmp", 64, 32);
    const std::vector<std::string> documents = {
        File("first.dae", TexturedDocument({a, b, a})),
        File("empty.dae", "<COLLADA><library_geometries/></COLLADA>"),  // loads nothing: LoadAsset gives -1
        File("second.dae", TexturedDocument({b, "plain.png", c})),
    };
    const TOutcome sequential = StartUp(documents, false);
    ASSERT_EQ(sequential.Error, "");
    EXPECT_EQ(sequential.AssetIndices, (std::vector<int>{0, -1, 1}));
    EXPECT_EQ(sequential.TextureFiles, (std::vector<std::string>{a, b, "plain.png", c}));
    EXPECT_EQ(StartUp(documents, true), sequential);
    // Loaded in another order than read ahead, the rest is loaded in place.
    const std::vector<std::string> reordered = {documents[2], documents[0]};
    EXPECT_EQ(StartUp(documents, true, reordered), StartUp(documents, false, reordered));
}

// Of several failures, the one a start-up in turn meets first is shown, and only once it is reached.
TEST_F(StartupPrefetch, TheFirstErrorIsTheOneAStartUpInTurnMeets) {
    const std::string good = Image("good.bmp", 4, 4);
    const std::string truncated = File("truncated.bmp", Bmp24(Gradient(4, 4)).substr(0, 70));
    const std::string missing = TTempFile::Directory() + "/missing.jpg";
    const std::string malformed = File("malformed.dae", "<COLLADA><library_geometries>");
    struct TCase {
        const char* What;
        std::vector<std::string> Documents;
        const char* ErrorNames;
    };
    const std::vector<TCase> cases = {
        {"two bad textures", {File("two.dae", TexturedDocument({good, truncated, missing}))}, "truncated.bmp"},
        {"bad textures in two documents",
         {File("one.dae", TexturedDocument({good, missing})), File("other.dae", TexturedDocument({truncated}))},
         "missing.jpg"},
        {"a bad document after a bad texture",
         {File("textured.dae", TexturedDocument({truncated})), malformed, File("after.dae", TexturedDocument({good}))},
         "malformed.dae"},
        {"a missing document first", {TTempFile::Directory() + "/nowhere.dae", malformed}, "nowhere.dae"},
    };
    for (const TCase& test : cases) {
        const TOutcome sequential = StartUp(test.Documents, false);
        EXPECT_NE(sequential.Error.find(test.ErrorNames), std::string::npos) << test.What << ": " << sequential.Error;
        EXPECT_EQ(StartUp(test.Documents, true), sequential) << test.What;
    }
}

TEST_F(StartupPrefetch, PixelsAreHandedOutOnceAndOnlyForTheBudgetTheyWereDecodedUnder) {
    const std::string a = Image("a.bmp", 6, 2), b = Image("b.jpg", 8, 8);
    const std::string document = File("scene.dae", TexturedDocument({a, b}));
    TXmlDocument xml;
    TStartupPrefetch prefetch(&xml, {document});
    const auto loaded = prefetch.TakeDocument(document);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->Loaded);
    ASSERT_TRUE(loaded->Asset);
    EXPECT_EQ(loaded->Asset->Document, &xml);

    const long long full = TTextureEngine::PixelBudget;
    const auto first = prefetch.TakeTexture(a, full);
    ASSERT_TRUE(first);
    // The picture's pixels with an opaque alpha, its bottom row first.
    std::vector<unsigned char> expected;
    TRgbImage picture = Gradient(6, 2);
    for (const int row : {1, 0})
        for (int x = 0; x < 6; ++x) {
            const unsigned char* rgb = picture.At(x, row);
            expected.insert(expected.end(), {rgb[0], rgb[1], rgb[2], 255});
        }
    EXPECT_EQ(first->Width, 6);
    EXPECT_EQ(first->Rgba, expected);
    EXPECT_FALSE(prefetch.TakeTexture(a, full));  // taken already
    // b was decoded under what a left of the budget; under any other budget it is decoded in place.
    EXPECT_FALSE(prefetch.TakeTexture(b, full));
    EXPECT_TRUE(prefetch.TakeTexture(b, full - 6 * 2));
    EXPECT_FALSE(prefetch.TakeTexture("other.bmp", full));
}

}  // namespace
