// What the two programs share, without a window: how start-up errors reach the message box and the exit
// status, the key codes, and the "Phong" start-up steps and switches on a headless engine.
#define GL_GLEXT_PROTOTYPES
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <unistd.h>

#include <FL/Enumerations.H>
#include <array>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Application.h"
#include "GlTestContext.h"
#include "KeyCodes.h"
#include "MouseDrag.h"
#include "PhongShading.h"
#include "SceneFiles.h"

namespace {

struct TStartUpResult {
    std::optional<int> Status;
    std::vector<std::string> Messages;
};

template <typename TThrow>
TStartUpResult StartUp(TThrow thrower) {
    TStartUpResult result;
    result.Status = RunFormCreate(thrower, [&](const std::string& m) { result.Messages.push_back(m); });
    return result;
}

}  // namespace

TEST(StartUp, AnErrorIsShownAndTheProgramGoesOn) {
    const TStartUpResult loaded = StartUp([] {});
    EXPECT_FALSE(loaded.Status);
    EXPECT_TRUE(loaded.Messages.empty());

    const TStartUpResult missing = StartUp([] { throw std::runtime_error("../data/models.dae: no such file"); });
    EXPECT_FALSE(missing.Status);
    EXPECT_EQ(missing.Messages, std::vector<std::string>{"../data/models.dae: no such file"});

    const TStartUpResult odd = StartUp([] { throw 42; });
    EXPECT_FALSE(odd.Status);
    EXPECT_EQ(odd.Messages, std::vector<std::string>{""});
}

TEST(StartUp, NoPixelFormatEndsTheProgramWithStatus1) {
    const TStartUpResult result = StartUp([] { throw TPixelFormatError(); });
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Messages, std::vector<std::string>{"Unable to set pixel format"});
}

TEST(KeyCodes, LettersAreUpperCaseCodesWhateverTheShift) {
    EXPECT_EQ(VirtualKeyCode('w'), 87);
    EXPECT_EQ(VirtualKeyCode('s'), 83);
    EXPECT_EQ(VirtualKeyCode('a'), 65);
    EXPECT_EQ(VirtualKeyCode('d'), 68);
    EXPECT_EQ(VirtualKeyCode('z'), 90);
    EXPECT_EQ(VirtualKeyCode('7'), '7');
    EXPECT_EQ(VirtualKeyCode(FL_F + 1), 112);
    EXPECT_EQ(VirtualKeyCode(FL_Left), 37);
    EXPECT_EQ(VirtualKeyCode(FL_Shift_R), 16);
    EXPECT_EQ(VirtualKeyCode(FL_KP + '3'), 99);
    EXPECT_EQ(VirtualKeyCode(FL_Menu), -1);
    EXPECT_EQ(VirtualKeyCode(FL_Button + 1), -1);
}

TEST(MouseDrag, OnlyMovesWhileAButtonIsHeldCountFromTheLastPosition) {
    TMouseDrag drag;
    EXPECT_FALSE(drag.Move(40, 50));  // no button: nothing, and the position is not taken
    drag.Press(10, 20);
    const std::optional<TPixelStep> first = drag.Move(40, 5);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Dx, 30);
    EXPECT_EQ(first->Dy, -15);
    const std::optional<TPixelStep> second = drag.Move(40, 8);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Dx, 0);
    EXPECT_EQ(second->Dy, 3);
    drag.Release();
    EXPECT_FALSE(drag.Dragging);
    EXPECT_FALSE(drag.Move(0, 0));
    drag.Press(100, 100);  // a new drag starts where the button goes down, not where the last one ended
    EXPECT_EQ(drag.Move(101, 99)->Dx, 1);
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(Root / "bin");
        std::filesystem::create_directories(Root / "data");
        std::filesystem::create_directories(Root / "scenes" / "park");
        std::filesystem::current_path(Root / "bin");
    }
    void TearDown() override {
        std::filesystem::current_path(Before);
        std::filesystem::remove_all(Root);
    }

    TCommandLine Read(std::vector<const char*> arguments, std::size_t maxDocuments = 4) {
        arguments.insert(arguments.begin(), "/usr/bin/vantrell");
        return ReadCommandLine(static_cast<int>(arguments.size()), arguments.data(), Own, maxDocuments,
                               "usage: vantrell [FILE.dae ...]\n");
    }

    const std::filesystem::path Before = std::filesystem::current_path();
    const std::filesystem::path Root = std::filesystem::path(TTempFile::Directory()) / "command-line";
    const TSceneFiles Own = DataFiles({"../data/models.dae", "../data/ground.dae"});
};

TEST_F(CommandLine, WithoutFilesTheProgramsOwnFilesStayAsTheyAre) {
    const TCommandLine line = Read({});
    EXPECT_FALSE(line.ExitStatus);
    EXPECT_EQ(line.Scene.Documents, Own.Documents);
    EXPECT_EQ(line.Scene.VertexFile, "../data/phong.vert");
    EXPECT_EQ(line.Scene.FragmentFile, "../data/phong.frag");
    EXPECT_EQ(std::filesystem::current_path(), Root / "bin");
}

// Started where no ../data/ is in reach, a program goes to its own folder, beside which its data lies (the
// test's own folder has the build's data beside it).
TEST_F(CommandLine, FromAFolderWithoutDataTheProgramsOwnFolderIsEntered) {
    std::filesystem::remove(Root / "data");
    const std::filesystem::path own = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    ASSERT_TRUE(std::filesystem::is_directory(own / ".." / "data"));
    const TCommandLine line = Read({});
    EXPECT_EQ(line.Scene.Documents, Own.Documents);
    EXPECT_EQ(std::filesystem::current_path(), own);
}

TEST_F(CommandLine, FilesAreMadeAbsoluteAndTheFirstOnesFolderIsEntered) {
    const TCommandLine line = Read({"../scenes/park/trees.dae", "/elsewhere/sky.dae"});
    ASSERT_FALSE(line.ExitStatus);
    EXPECT_EQ(line.Scene.Documents,
              (std::vector<std::string>{(Root / "scenes/park/trees.dae").string(), "/elsewhere/sky.dae"}));
    // The shading sources are still the program's own, found from where it started.
    EXPECT_EQ(line.Scene.VertexFile, (Root / "data/phong.vert").string());
    EXPECT_EQ(line.Scene.FragmentFile, (Root / "data/phong.frag").string());
    EXPECT_EQ(std::filesystem::current_path(), Root / "scenes" / "park");
}

TEST_F(CommandLine, AFileInAFolderThatIsNotThereLeavesTheFolderAndTheErrorToTheLoad) {
    const TCommandLine line = Read({"../nowhere/scene.dae"});
    ASSERT_FALSE(line.ExitStatus);
    EXPECT_EQ(line.Scene.Documents, std::vector<std::string>{(Root / "nowhere/scene.dae").string()});
    EXPECT_EQ(std::filesystem::current_path(), Root / "bin");
}

TEST_F(CommandLine, HelpAndMistakesEndTheProgramAtOnce) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(Read({"scene.dae", "--help"}).ExitStatus, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "usage: vantrell [FILE.dae ...]\n");

    testing::internal::CaptureStderr();
    EXPECT_EQ(Read({"--fly", "scene.dae"}).ExitStatus, 2);
    EXPECT_EQ(Read({"a.dae", "b.dae"}, 1).ExitStatus, 2);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("vantrell: unknown option --fly"), std::string::npos) << errors;
    EXPECT_NE(errors.find("vantrell: too many files: 2 given, at most 1"), std::string::npos) << errors;
    EXPECT_EQ(std::filesystem::current_path(), Root / "bin");
}

class PhongShading : public ::testing::Test {
protected:
    // The programs read ../data/ from the folder they run in, which sits beside the demo data.
    void SetUp() override { ASSERT_EQ(chdir(TOOLS_BIN_DIR), 0); }

    static std::array<float, 4> Light(GLenum parameter) {
        std::array<float, 4> values{};
        glGetLightfv(GL_LIGHT0, parameter, values.data());
        return values;
    }

    static int Uniform(const TShader& shader, const char* name) {
        const GLint location = glGetUniformLocation(shader.Program, name);
        EXPECT_NE(location, -1) << name;
        GLint value = -1;
        glGetUniformiv(shader.Program, location, &value);
        return value;
    }

    THeadlessEngine Headless;
    TColladaEngine& Engine = *Headless.Engine;
    int PhongIndex = -7;
    int UseTextureFlag = StartUseTextureFlag;
    TLightColour LightDiffusePlace = StartLightDiffuse;
    float* LightDiffuse = LightDiffusePlace.data();
    const float* LightPosition = StartLightPosition.data();

    void StartPhong() {
        SetUpPhong(Engine, PhongIndex, UseTextureFlag, LightDiffuse, LightPosition, "../data/phong.vert",
                   "../data/phong.frag");
    }
};

TEST_F(PhongShading, StartUpSetsLightMaterialAndUniforms) {
    const int model = Engine.LoadAsset("../data/model.dae");
    StartPhong();
    AttachPhong(Engine, model, PhongIndex);

    ASSERT_EQ(PhongIndex, 0);
    const TShader& phong = *Engine.ShaderEngine->Shaders[0];
    EXPECT_EQ(phong.VertexFile, "../data/phong.vert");
    EXPECT_EQ(phong.FragmentFile, "../data/phong.frag");
    EXPECT_NE(phong.Program, 0u);
    EXPECT_EQ(Uniform(phong, "UseTexture"), 1);
    EXPECT_EQ(Uniform(phong, "Base"), 0);
    EXPECT_EQ(Light(GL_SPECULAR), (std::array<float, 4>{0.4f, 0.4f, 0.4f, 1.0f}));
    EXPECT_EQ(Light(GL_DIFFUSE), (std::array<float, 4>{0.9f, 0.9f, 0.9f, 1.0f}));
    EXPECT_EQ(Light(GL_AMBIENT), (std::array<float, 4>{0.3f, 0.3f, 0.3f, 1.0f}));
    EXPECT_EQ(Light(GL_POSITION), (std::array<float, 4>{0.0f, 0.0f, 20.0f, 1.0f}));
    float shininess[2] = {};
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess[0]);
    glGetMaterialfv(GL_BACK, GL_SHININESS, &shininess[1]);
    EXPECT_EQ(shininess[0], 50.0f);
    EXPECT_EQ(shininess[1], 50.0f);
    EXPECT_EQ(Engine.Assets[model]->ShaderIndex, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(PhongShading, TheTextureSwitchCarriesTheLightAndTheUniform) {
    StartPhong();
    const TShader& phong = *Engine.ShaderEngine->Shaders[PhongIndex];

    SwitchTextures(Engine, false, PhongIndex, UseTextureFlag, LightDiffuse);
    EXPECT_FALSE(Engine.UseTextures);
    EXPECT_EQ(UseTextureFlag, 0);
    EXPECT_EQ(Light(GL_DIFFUSE), (std::array<float, 4>{0.3f, 0.3f, 0.3f, 1.0f}));
    EXPECT_EQ(Uniform(phong, "UseTexture"), 0);

    SwitchTextures(Engine, true, PhongIndex, UseTextureFlag, LightDiffuse);
    EXPECT_TRUE(Engine.UseTextures);
    EXPECT_EQ(UseTextureFlag, 1);
    EXPECT_EQ(Light(GL_DIFFUSE), (std::array<float, 4>{0.9f, 0.9f, 0.9f, 1.0f}));
    EXPECT_EQ(Uniform(phong, "UseTexture"), 1);

    SwitchShaders(Engine, false);
    EXPECT_FALSE(Engine.UseShaders);
    EXPECT_EQ(Light(GL_DIFFUSE), (std::array<float, 4>{0.9f, 0.9f, 0.9f, 1.0f}));  // kept for when it returns
}

TEST_F(PhongShading, WithoutAProgramTheTextureSwitchStillSetsTheLight) {
    // Start-up stopped before the program was registered.
    SwitchTextures(Engine, false, PhongIndex, UseTextureFlag, LightDiffuse);
    EXPECT_EQ(Engine.ShaderEngine->Shaders.Count(), 0);
    EXPECT_EQ(UseTextureFlag, 0);
    EXPECT_EQ(Light(GL_DIFFUSE), (std::array<float, 4>{0.3f, 0.3f, 0.3f, 1.0f}));
}

TEST_F(PhongShading, AFailedLoadNamesNoAssetAndItsStepsDoNothing) {
    const int ground = Engine.LoadAsset("../data/ground.dae");
    TTempFile empty("empty.dae", "<COLLADA version=\"1.4.1\"/>");
    const int failed = Engine.LoadAsset(empty.Path);
    ASSERT_EQ(ground, 0);
    ASSERT_EQ(failed, -1);

    AttachPhong(Engine, failed, 0);
    SwitchWireframe(Engine, failed, true);
    EXPECT_EQ(Engine.Assets[ground]->ShaderIndex, -1);
    EXPECT_EQ(Engine.Assets[ground]->PolygonMode, -1);
    EXPECT_EQ(AssetAt(Engine, failed), nullptr);
    EXPECT_EQ(AssetAt(Engine, 1), nullptr);

    SwitchWireframe(Engine, ground, true);
    EXPECT_EQ(Engine.Assets[ground]->PolygonMode, GL_LINE);
    SwitchWireframe(Engine, ground, false);
    EXPECT_EQ(Engine.Assets[ground]->PolygonMode, GL_FILL);
}
