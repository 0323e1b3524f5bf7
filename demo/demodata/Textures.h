// The procedural textures of the demo scenes. Each tiles seamlessly where its meshes repeat it.
#pragma once

#include "Image.h"

TImage MakeBricks();       // 256 x 256, running bond of red bricks in pale mortar
TImage MakeCrate();        // 256 x 256, a wooden crate side: frame, planks and a diagonal brace
TImage MakeGrass();        // 512 x 512
TImage MakeRock();         // 256 x 256, grey-brown stone with cracks
TImage MakeSky();          // 512 x 256, horizon at the bottom row, zenith at the top; wraps left to right
TImage MakePaving();       // 256 x 256, a checker of light and dark stone tiles
TImage MakeMarble();       // 256 x 256, white marble with grey veins
TImage MakeEmblem();       // 256 x 256, a logo-like emblem: a star in a gold ring on deep blue
TImage MakeKnotPattern();  // 512 x 128, coloured tiles framed in gold, for a tube repeating it along its length
