// The image library's PNG, TGA and BMP writer, for the tools and tests that write pictures. Each file that
// includes it has a private copy (STB_IMAGE_WRITE_STATIC); the library's own code is not held to our warning
// level.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop
