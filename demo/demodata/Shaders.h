// The GLSL sources of the "Phong" program both programs build: per-pixel Phong lighting from light 0 and
// the material shininess of the fixed-function state, over the vertex colour, modulated by texture unit 0
// while the "UseTexture" uniform is 1.
#pragma once

extern const char* const PhongVertexSource;
extern const char* const PhongFragmentSource;
