// The framed picture of --frame and the thumbnailer: the camera placed so that everything drawn fits, the
// scene lit by a light from above the camera's left shoulder over a grey gradient, so that a black model or
// a flat one seen at an angle still shows against it.
#pragma once

#include "RenderOptions.h"

class TColladaEngine;

// Draws one framed frame. False, with the picture left as the plain frame would draw it, when nothing is drawn
// within single-precision range. `lit`: light the scene with the fixed pipeline (not when a program lights it).
bool RenderFramed(TColladaEngine& engine, const TRenderOptions& options, bool lit);
