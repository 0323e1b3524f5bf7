#include "PhongShading.h"

#include <GL/gl.h>

#include "Colladaengine.h"

namespace {

constexpr int IntUniform = 1;  // SetUniform's type code for one 32-bit integer
constexpr float LightSpecular[4] = {0.4f, 0.4f, 0.4f, 1.0f};
constexpr float LightAmbient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
constexpr float Shininess = 50.0f;

TShader* ShaderAt(TColladaEngine& engine, int index) {
    TShaderEngine& shaders = *engine.ShaderEngine;
    return index >= 0 && index < shaders.Shaders.Count() ? shaders.Shaders[index] : nullptr;
}

}  // namespace

TColladaAsset* AssetAt(TColladaEngine& engine, int index) {
    return index >= 0 && index < engine.Assets.Count() ? engine.Assets[index] : nullptr;
}

void SetUpPhong(TColladaEngine& engine, int& phongIndex, const int& useTextureFlag, const float lightDiffuse[4],
                const float lightPosition[4], const char* vertexFile, const char* fragmentFile) {
    engine.PrepareMaterials();
    phongIndex = engine.ShaderEngine->AddShader("Phong", vertexFile, fragmentFile);
    engine.ShaderEngine->BuildAll();
    TShader* phong = ShaderAt(engine, phongIndex);
    phong->SetUniform("UseTexture", IntUniform, &useTextureFlag);
    const int baseUnit = 0;
    phong->SetUniform("Base", IntUniform, &baseUnit);
    glLightfv(GL_LIGHT0, GL_SPECULAR, LightSpecular);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, LightAmbient);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &Shininess);
}

void AttachPhong(TColladaEngine& engine, int assetIndex, int phongIndex) {
    if (TColladaAsset* asset = AssetAt(engine, assetIndex)) asset->ShaderIndex = phongIndex;
}

void SwitchShaders(TColladaEngine& engine, bool checked) { engine.UseShaders = checked; }

void SwitchTextures(TColladaEngine& engine, bool checked, int phongIndex, int& useTextureFlag, float lightDiffuse[4]) {
    engine.UseTextures = checked;
    useTextureFlag = checked ? 1 : 0;
    const float level = checked ? TexturedDiffuseLevel : UntexturedDiffuseLevel;
    lightDiffuse[0] = lightDiffuse[1] = lightDiffuse[2] = level;
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    if (TShader* phong = ShaderAt(engine, phongIndex)) phong->SetUniform("UseTexture", IntUniform, &useTextureFlag);
}

void SwitchWireframe(TColladaEngine& engine, int assetIndex, bool checked) {
    if (TColladaAsset* asset = AssetAt(engine, assetIndex)) asset->PolygonMode = checked ? GL_LINE : GL_FILL;
}
