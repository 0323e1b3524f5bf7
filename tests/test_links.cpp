// The document level: which libraries are required, and how names become indices.
#include "LoaderFixture.h"

namespace {

using LinkTest = LoaderTest;

const std::string Cube = Geometries(Mesh("Cube", Source("Cube-Position", 3, "0 0 0")));
const std::string Scene = SceneWith(PlacedNode("N", "#Cube", "Wood"));
const std::string Effects =
    "<library_effects><effect name=\"Wood\"/><effect name=\"wood-fx\"/>"
    "<effect name=\"Wood-fx\"><profile_COMMON><newparam><surface><init_from>Img"
    "</init_from></surface></newparam></profile_COMMON></effect></library_effects>";
const std::string Images =
    "<library_images><image name=\"img\"><init_from>a.bmp</init_from></image>"
    "<image name=\"Img\"><init_from>b.bmp</init_from></image></library_images>";

TEST_F(LinkTest, GeometriesAndScenesAloneAreEnough) {
    const auto r = Load(Collada(Cube + Scene));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Node(0).GeometryIndex, 0);
    EXPECT_EQ(r.Node(0).EffectIndex, -1);
    EXPECT_EQ(r.Asset->Effects->Items.Count(), 0);
}

TEST_F(LinkTest, MissingRequiredLibraryReturnsFalse) {
    const auto noGeometries = Load(Collada(Effects + Scene));
    EXPECT_FALSE(noGeometries.Loaded);
    EXPECT_FALSE(noGeometries.Raised);
    EXPECT_EQ(noGeometries.Asset->VisualScenes->Items.Count(), 0);
    EXPECT_EQ(noGeometries.Asset->Effects->Items.Count(), 3);

    const auto noScenes = Load(Collada(Cube + Effects + Images));
    EXPECT_FALSE(noScenes.Loaded);
    EXPECT_FALSE(noScenes.Raised);
    EXPECT_EQ(noScenes.Asset->Geometries->Items.Count(), 1);
    // No link pass ran, so the effect's image index is still the unlinked one.
    EXPECT_EQ(noScenes.Asset->Effects->Items[2]->ImageIndex, -1);
}

TEST_F(LinkTest, LibraryOrderAndRootNameDoNotMatter) {
    for (const std::string& text : {Collada(Scene + Images + "<asset><up_axis>Z_UP</up_axis></asset>" + Cube + Effects),
                                    "<CUBE>" + Effects + Images + Cube + Scene + "</CUBE>",
                                    "<x:root xmlns:x=\"u\">" + Cube + Scene + Effects + Images + "</x:root>"}) {
        const auto r = Load(text);
        ASSERT_TRUE(r.Loaded) << r.Error << "\n" << text;
        EXPECT_EQ(r.Node(0).GeometryIndex, 0);
        EXPECT_EQ(r.Node(0).EffectIndex, 2);
        EXPECT_EQ(r.Effect(2).ImageIndex, 1);
    }
}

TEST_F(LinkTest, SecondLibraryOfANameIsIgnored) {
    const auto r = Load(Collada(Cube + Geometries(Mesh("Other", "")) + Scene + SceneWith(PlacedNode("M", "#Other")) +
                                "<library_effects/>" + Effects));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Asset->Geometries->Items.Count(), 1);
    ASSERT_EQ(r.Asset->VisualScenes->Items.Count(), 1);
    EXPECT_EQ(r.Node(0).Name, "N");
    EXPECT_EQ(r.Asset->Effects->Items.Count(), 0);
    EXPECT_EQ(r.Node(0).EffectIndex, -1);
}

TEST_F(LinkTest, NamesMatchExactly) {
    const auto r = Load(Collada(Effects + Images + Geometries(Mesh("Cube", "") + Mesh("Tree", "")) +
                                SceneWith(PlacedNode("A", "#cube", "WOOD") + PlacedNode("B", "#Tree ", "Wood ") +
                                          PlacedNode("C", "#Tree", "Wood"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Node(0).GeometryIndex, -1);
    EXPECT_EQ(r.Node(0).EffectIndex, -1);
    EXPECT_EQ(r.Node(1).GeometryIndex, -1);
    EXPECT_EQ(r.Node(1).EffectIndex, -1);
    EXPECT_EQ(r.Node(2).GeometryIndex, 1);
    EXPECT_EQ(r.Node(2).EffectIndex, 2);
}

TEST_F(LinkTest, EffectsWithoutAMatchingImage) {
    const auto r = Load(Collada(
        "<library_effects><effect name=\"None-fx\"/><effect name=\"Lost-fx\"><profile_COMMON><newparam><surface>"
        "<init_from>lost</init_from></surface></newparam></profile_COMMON></effect>"
        "<effect name=\"ById-fx\"><profile_COMMON><newparam><surface><init_from>img-id</init_from></surface>"
        "</newparam></profile_COMMON></effect></library_effects>"
        "<library_images><image id=\"img-id\" name=\"img\"><init_from>a.bmp</init_from></image></library_images>" +
        Cube + Scene));
    ASSERT_TRUE(r.Loaded) << r.Error;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.Effect(i).ImageIndex, -1) << i;
}

// Two geometries, effects or images of one name: every link goes to the first of them, whatever follows.
TEST_F(LinkTest, FirstOfSameNamedEntriesWins) {
    const auto r = Load(Collada(
        Geometries(Mesh("Twin", Source("Twin-Position", 3, "1 1 1")) +
                   Mesh("Twin", Source("Twin-Position", 3, "2 2 2"))) +
        "<library_effects><effect name=\"Paint-fx\"><profile_COMMON><newparam><surface><init_from>Pic</init_from>"
        "</surface></newparam></profile_COMMON></effect><effect name=\"Paint-fx\"/></library_effects>"
        "<library_images><image name=\"Pic\"><init_from>first.bmp</init_from></image>"
        "<image name=\"Pic\"><init_from>second.bmp</init_from></image></library_images>" +
        SceneWith(PlacedNode("N", "#Twin", "Paint"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Asset->Geometries->Items.Count(), 2);
    EXPECT_EQ(r.Node(0).GeometryIndex, 0);
    EXPECT_EQ(r.Node(0).EffectIndex, 0);
    EXPECT_EQ(r.Effect(0).ImageIndex, 0);
}

// One document object serves every load, and the next load must not disturb an asset already read.
TEST_F(LinkTest, AssetsKeepNothingOfTheDocument) {
    const auto first = Load(Collada(Cube + Effects + Images + Scene));
    const auto second = Load(Collada(Geometries(Mesh("Other", "")) + SceneWith("")));
    ASSERT_TRUE(first.Loaded && second.Loaded);
    EXPECT_EQ(first.Geometry(0).Name, "Cube");
    EXPECT_EQ(first.Node(0).MaterialSymbol, "Wood");
    EXPECT_EQ(first.Asset->Images->FileNames[1], "b.bmp");
    EXPECT_EQ(first.Effect(2).ImageName, "Img");
}

}  // namespace
