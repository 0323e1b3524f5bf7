// The library decoder of bitmaps, PNG, GIF and TGA images, compiled once (StbImage.cpp) with only those
// formats, from memory only, and no side longer than the decoders accept. Only the image decoders use it.
#pragma once

#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>
