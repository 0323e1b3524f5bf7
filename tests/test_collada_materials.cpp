// Material chains: a block's symbol through the instance's binding, the material, its effect, a sampler and a
// surface to an image's file; colours and transparency as exporters write them; images named by URI or path.
#include "ColladaReaderFixture.h"

namespace {

std::string Effect(const std::string& id, const std::string& shading) {
    return "<effect id=\"" + id + "\"><profile_COMMON>" + shading + "</profile_COMMON></effect>\n";
}

std::string TexturedEffect(const std::string& id, const std::string& image) {
    return Effect(id, "<newparam sid=\"surf\"><surface type=\"2D\"><init_from>" + image +
                          "</init_from></surface></newparam><newparam sid=\"samp\"><sampler2D><source>surf</source>"
                          "</sampler2D></newparam><technique sid=\"t\"><phong><diffuse><texture texture=\"samp\" "
                          "texcoord=\"UV\"/></diffuse></phong></technique>");
}

std::string Material(const std::string& id, const std::string& effect) {
    return "<material id=\"" + id + "\" name=\"" + id + "-name\"><instance_effect url=\"#" + effect +
           "\"/></material>\n";
}

std::string Bound(const std::string& target) {
    return "<node><instance_geometry url=\"#square\"><bind_material><technique_common><instance_material "
           "symbol=\"S\" target=\"#" +
           target + "\"/></technique_common></bind_material></instance_geometry></node>\n";
}

const std::string Square = "<library_geometries>" + SquareGeometry(TrianglesOfSquare("S")) + "</library_geometries>\n";

TEST_F(ColladaReaderTest, SymbolBindsAMaterialWhoseTextureIsAFileUri) {
    const std::string libraries =
        "<library_images><image id=\"brick\"><init_from>file:///C:/My%20Maps/brick.jpg</init_from></image>"
        "</library_images><library_effects>" +
        TexturedEffect("fx", "brick") + "</library_effects><library_materials>" + Material("mat", "fx") +
        "</library_materials>" + Square;
    const auto r = Read(DocumentText(libraries, Bound("mat")));
    ASSERT_FALSE(r.Raised) << r.Error;
    ASSERT_EQ(r.Scene.Meshes.size(), 1u);
    ASSERT_EQ(r.Scene.Meshes[0].Material, 0);
    const TModelMaterial& material = r.Scene.Materials[0];
    EXPECT_EQ(material.Name, "mat-name");
    ASSERT_EQ(material.Image, 0);
    EXPECT_EQ(r.Scene.Images[0].Path, "C:/My Maps/brick.jpg");
    EXPECT_EQ(material.Diffuse[3], 1.0f);
}

TEST_F(ColladaReaderTest, NewerImagesWindowsPathsAndMissingFiles) {
    const std::string newer = Effect("newer", R"(<newparam sid="samp"><sampler2D><instance_image url="#wall"/>
        </sampler2D></newparam><technique sid="t"><lambert><diffuse><texture texture="samp" texcoord="UV"/></diffuse>
        </lambert></technique>)");
    // The image's file was commented out by its exporter: the material keeps its colour.
    const std::string libraries = R"(<library_images><image id="wall"><init_from><ref>textures/wall%20a.png</ref>
        </init_from></image><image id="win"><init_from>C:\maps\stone.JPG</init_from></image>
        <image id="gone"><!--<init_from>lost.png</init_from>--></image>
        <image id="blank"><init_from><!--lost.png--></init_from></image></library_images><library_effects>)" +
                                  newer + TexturedEffect("windows", "win") + TexturedEffect("missing", "gone") +
                                  TexturedEffect("blank", "blank") + "</library_effects><library_materials>" +
                                  Material("m1", "newer") + Material("m2", "windows") + Material("m3", "missing") +
                                  Material("m4", "blank") + "</library_materials>" + Square;
    const auto r = Read(DocumentText(libraries, Bound("m1") + Bound("m2") + Bound("m3") + Bound("m4")));
    ASSERT_FALSE(r.Raised) << r.Error;
    ASSERT_EQ(r.Scene.Materials.size(), 4u);
    ASSERT_EQ(r.Scene.Images.size(), 2u);
    EXPECT_EQ(r.Scene.Materials[3].Image, -1);
    EXPECT_EQ(r.Scene.Images[static_cast<std::size_t>(r.Scene.Materials[0].Image)].Path, "textures/wall a.png");
    EXPECT_EQ(r.Scene.Images[static_cast<std::size_t>(r.Scene.Materials[1].Image)].Path, "C:\\maps\\stone.JPG");
    EXPECT_EQ(r.Scene.Materials[2].Image, -1);
    EXPECT_EQ(r.Scene.Materials[2].Diffuse, (std::array<float, 4>{0.8f, 0.8f, 0.8f, 1.0f}));
    ASSERT_TRUE(r.HasNote("image-missing"));
    EXPECT_EQ(r.Note("image-missing")->Element, "<image>");
    // One mesh, bound to three materials by three instances: the later ones keep their own.
    EXPECT_EQ(r.Scene.Meshes[0].Material, 0);
    EXPECT_EQ(r.Scene.Instances[1].Material, 1);
    EXPECT_EQ(r.Scene.Instances[2].Material, 2);
}

TEST_F(ColladaReaderTest, ColoursAndTransparencyAsExportersWriteThem) {
    const std::string libraries =
        "<library_effects>" +
        Effect("half",
               "<technique sid=\"t\"><blinn><diffuse><color>0.2 0.4 0.6 1</color></diffuse><transparent "
               "opaque=\"A_ONE\"><color>1 1 1 0.5</color></transparent><transparency><float>1</float>"
               "</transparency></blinn></technique>") +
        // Transparency 0 with a white filter: opaque, as the exporters that write it mean.
        Effect("zero",
               "<technique sid=\"t\"><phong><diffuse><color>1 0 0 1</color></diffuse><transparent><color>1 1 "
               "1 1</color></transparent><transparency><float>0.0</float></transparency></phong></technique>") +
        Effect("rgb",
               "<technique sid=\"t\"><constant><emission><color>0,5 0,25 0 1</color></emission><transparent "
               "opaque=\"RGB_ZERO\"><color>0.25 0.25 0.25 1</color></transparent></constant></technique>") +
        "</library_effects><library_materials>" + Material("half", "half") + Material("zero", "zero") +
        Material("rgb", "rgb") + "</library_materials>" + Square;
    const auto r = Read(DocumentText(libraries, Bound("half") + Bound("zero") + Bound("rgb")));
    ASSERT_EQ(r.Scene.Materials.size(), 3u);
    EXPECT_EQ(r.Scene.Materials[0].Diffuse, (std::array<float, 4>{0.2f, 0.4f, 0.6f, 0.5f}));
    EXPECT_EQ(r.Scene.Materials[1].Diffuse, (std::array<float, 4>{1, 0, 0, 1}));
    EXPECT_TRUE(r.HasNote("zero-opacity"));
    // A constant surface shows its emission, here with decimal commas; RGB_ZERO lets through 1 - 0.25.
    EXPECT_EQ(r.Scene.Materials[2].Diffuse[0], 0.5f);
    EXPECT_EQ(r.Scene.Materials[2].Diffuse[1], 0.25f);
    EXPECT_NEAR(r.Scene.Materials[2].Diffuse[3], 0.75f, 1e-6);
}

}  // namespace
