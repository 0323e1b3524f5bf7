// Effects and images: which surface gives an effect its image, and how images are listed.
#include "LoaderFixture.h"

namespace {

using MaterialTest = LoaderTest;

std::string WithLibraries(std::string_view effects, std::string_view images, std::string_view nodes = "") {
    return Collada(Library("effects", effects) + Library("images", images) +
                   Geometries(Mesh("Cube", Source("Cube-Position", 3, "0 0 0"))) + SceneWith(nodes));
}

TEST_F(MaterialTest, SymbolEffectImageChain) {
    const auto r = Load(WithLibraries(Effect("Other-fx", "") + Effect("Wood-fx", SurfaceParam("WoodImage")),
                                      Image("Stone", "stone.bmp") + Image("WoodImage", "../data/wood.jpg"),
                                      PlacedNode("Table", "#Cube", "Wood")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    const TNode& table = r.Node(0);
    ASSERT_EQ(table.EffectIndex, 1);
    const TEffect& wood = r.Effect(1);
    EXPECT_EQ(wood.Name, "Wood-fx");
    EXPECT_EQ(wood.ImageName, "WoodImage");
    ASSERT_EQ(wood.ImageIndex, 1);
    EXPECT_EQ(r.Asset->Images->FileNames[1], "../data/wood.jpg");
    EXPECT_EQ(r.Effect(0).ImageIndex, -1);
}

TEST_F(MaterialTest, FirstParameterHoldingASurfaceWins) {
    const auto r = Load(WithLibraries(
        Effect("Second-fx", "<newparam sid=\"f\"><float>1</float></newparam>" + SurfaceParam("B")) +
            Effect("Two-fx", SurfaceParam("First") + SurfaceParam("Second")) +
            Effect("None-fx", "<newparam><float>1</float></newparam><technique sid=\"t\"><phong/></technique>") +
            Effect("NoInit-fx", "<newparam><surface type=\"2D\"><format>A8R8G8B8</format></surface></newparam>" +
                                    SurfaceParam("Later")) +
            "<effect name=\"Glsl-fx\"><profile_GLSL>" + SurfaceParam("G") + "</profile_GLSL></effect>",
        ""));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Asset->Effects->Items.Count(), 5);
    EXPECT_EQ(r.Effect(0).ImageName, "B");
    EXPECT_EQ(r.Effect(1).ImageName, "First");
    EXPECT_EQ(r.Effect(2).ImageName, "");
    EXPECT_EQ(r.Effect(3).ImageName, "");
    EXPECT_EQ(r.Effect(4).ImageName, "");
}

// Every sibling after the first effect is read as an effect, whatever its name.
TEST_F(MaterialTest, SiblingsAfterTheFirstEffectAreEffects) {
    const auto r = Load(WithLibraries(
        "<asset/>" + Effect("A-fx", "") + Effect("B-fx", "") + Effect("C-fx", "") + "<extra name=\"Extra-fx\"/>", ""));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Asset->Effects->Items.Count(), 4);
    EXPECT_EQ(r.Effect(3).Name, "Extra-fx");
    EXPECT_EQ(r.Asset->Effects->IndexOf("C-fx"), 2);
}

TEST_F(MaterialTest, ImagesWithoutInitFromTakeNoIndex) {
    const auto r = Load(WithLibraries("", "<asset/>" + Image("A", "a.bmp") +
                                              "<image name=\"NoFile\"><data>00</data></image><!--c-->" +
                                              Image("B", "b.jpg") + "<extra><init_from>x</init_from></extra>"));
    // The <extra> holds an init_from but no name: reading it as an image fails the load.
    EXPECT_TRUE(r.Raised);
    ExpectErrorAt(r, 3, "extra", "has no attribute \"name\"");

    const auto ok = Load(WithLibraries("", "<asset/>" + Image("A", "a.bmp") +
                                               "<image name=\"NoFile\"><data>00</data></image><!--c-->" +
                                               Image("B", "b.jpg") + Image("A", "second.bmp")));
    ASSERT_TRUE(ok.Loaded) << ok.Error;
    const TLibraryImages& images = *ok.Asset->Images;
    EXPECT_EQ(images.Names, (std::vector<std::string>{"A", "B", "A"}));
    EXPECT_EQ(images.FileNames, (std::vector<std::string>{"a.bmp", "b.jpg", "second.bmp"}));
    EXPECT_EQ(images.IndexOf("A"), 0);
    EXPECT_EQ(images.IndexOf("B"), 1);
    EXPECT_EQ(images.IndexOf("NoFile"), -1);
    EXPECT_EQ(images.IndexOf("b.jpg"), -1);
}

TEST_F(MaterialTest, FileNamesAreKeptExactlyAsWritten) {
    const auto r = Load(WithLibraries("", Image("W", "C:\\Tex\\red skull n bones.gif") + Image("U", "file%20a.jpg") +
                                              Image("E", "") + Image("S", " ./x.bmp ")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Asset->Images->FileNames,
              (std::vector<std::string>{"C:\\Tex\\red skull n bones.gif", "file%20a.jpg", "", " ./x.bmp "}));
}

}  // namespace
