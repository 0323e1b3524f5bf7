// The surroundings of the walk-through scene: the ground it stands on and the sky that closes it in. Both
// are drawn without lighting, so their shading is baked into vertex colours and textures.
#pragma once

#include "Mesh.h"

// The direction the baked shading takes its light from (towards the sun), shared by ground and rocks.
TVec3 SunDirection();

// The colours the landscape's vertices carry, so that ground and sky keep their hues with textures switched
// off; the grass and sky textures are made lighter by as much, so that textured they look as painted.
TColor GrassTint();
// t: the sky texture's row coordinate, 0 at its bottom (below the horizon) to 1 at the zenith.
TColor SkyTint(float t);

// The height of the ground made by MakeGround at (x, y).
float GroundHeight(float x, float y, float flatRadius);

// A disc of the given radius about the origin, flat at z = 0 out to flatRadius and rising into hills beyond
// it; grass texture coordinates repeat every unitsPerRepeat units; colours carry patches and hill shading.
TMesh MakeGround(float radius, float flatRadius, float unitsPerRepeat);

// A dome of the given radius about the origin, reaching below the horizon, seen from inside; v follows the
// sky texture's rows (horizon near the bottom, zenith at the top), u wraps around `uRepeat` times.
TMesh MakeSkyDome(float radius, int segments, float uRepeat);
