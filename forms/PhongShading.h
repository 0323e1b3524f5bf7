// What both programs do with the "Phong" program, light 0 and the switches of their control strips. The state
// stays with each program (its own module variables); these steps are handed references to it.
#pragma once

class TColladaEngine;
class TColladaAsset;

// The asset at index, or null when the index names no asset (a failed load leaves -1).
TColladaAsset* AssetAt(TColladaEngine& engine, int index);

// The start-up steps after the scene files are loaded: textures, the program registered (phongIndex is set as
// soon as it is) and built, its "UseTexture" and "Base" uniforms, light 0 with lightPosition taken through the
// current modelview matrix, and the material shininess. Errors from texture, shader and file reading propagate.
// The programs read the program's sources from the data folder; tools may name others.
void SetUpPhong(TColladaEngine& engine, int& phongIndex, const int& useTextureFlag, const float lightDiffuse[4],
                const float lightPosition[4], const char* vertexFile = "../data/phong.vert",
                const char* fragmentFile = "../data/phong.frag");

// Gives the program to the asset at assetIndex; nothing when either index names nothing.
void AttachPhong(TColladaEngine& engine, int assetIndex, int phongIndex);

// "Enable Phong shader".
void SwitchShaders(TColladaEngine& engine, bool checked);
// "Enable textures": the engine's switch, the flag and the diffuse level (0.9 on, 0.3 off), light 0's diffuse
// colour, and the program's "UseTexture" uniform when phongIndex names a program.
void SwitchTextures(TColladaEngine& engine, bool checked, int phongIndex, int& useTextureFlag,
                    float lightDiffuse[4]);
// "Wireframe": GL_LINE or GL_FILL for the asset at assetIndex; nothing when it names no asset.
void SwitchWireframe(TColladaEngine& engine, int assetIndex, bool checked);
