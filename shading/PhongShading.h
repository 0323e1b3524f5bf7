// The programs' look: the "Phong" program with its uniforms, light 0 and the material shininess, the start
// values of that state, and the switches of the control strip. The programs and the tools that draw as they do
// share these steps; the state itself stays with each caller (the programs keep it in module variables), and
// the steps are handed references to it. Only engine and GL calls are made here, so headless tools use them.
#pragma once

#include <array>

class TColladaEngine;
class TColladaAsset;

using TLightColour = std::array<float, 4>;

// Start values: textures on, so "UseTexture" is 1 and light 0's diffuse level is the textured one; the light
// set while the modelview matrix is the identity rides with the eye, 20 units behind it.
constexpr int StartUseTextureFlag = 1;
constexpr float TexturedDiffuseLevel = 0.9f;
constexpr float UntexturedDiffuseLevel = 0.3f;
constexpr TLightColour StartLightDiffuse = {TexturedDiffuseLevel, TexturedDiffuseLevel, TexturedDiffuseLevel, 1.0f};
constexpr TLightColour StartLightPosition = {0.0f, 0.0f, 20.0f, 1.0f};

// The asset at index, or null when the index names no asset (a failed load leaves -1).
TColladaAsset* AssetAt(TColladaEngine& engine, int index);

// The start-up steps after the scene files are loaded: textures, the program registered from the two source
// files (phongIndex is set as soon as it is) and built, its "UseTexture" and "Base" uniforms, light 0 with
// lightPosition taken through the current modelview matrix, and the material shininess. Errors from texture,
// shader and file reading propagate.
void SetUpPhong(TColladaEngine& engine, int& phongIndex, const int& useTextureFlag, const float lightDiffuse[4],
                const float lightPosition[4], const char* vertexFile, const char* fragmentFile);

// Gives the program to the asset at assetIndex; nothing when either index names nothing.
void AttachPhong(TColladaEngine& engine, int assetIndex, int phongIndex);

// "Enable Phong shader".
void SwitchShaders(TColladaEngine& engine, bool checked);
// "Enable textures": the engine's switch, the flag and the diffuse level (textured or untextured), light 0's
// diffuse colour, and the program's "UseTexture" uniform when phongIndex names a program.
void SwitchTextures(TColladaEngine& engine, bool checked, int phongIndex, int& useTextureFlag, float lightDiffuse[4]);
// "Wireframe": GL_LINE or GL_FILL for the asset at assetIndex; nothing when it names no asset.
void SwitchWireframe(TColladaEngine& engine, int assetIndex, bool checked);
