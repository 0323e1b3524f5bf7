// How the texture store picks a decoder for an image file: by the file name's extension alone.
#pragma once

#include <string_view>

enum class ETextureDecoder { None, Bmp, Jpeg };

// The decoder for a file name: ".bmp" gives Bmp, ".jpg" and ".jpeg" give Jpeg, letters in any case; the
// extension is the text from the last '.' of the last path component. Any other name gives None, which the
// store turns into an empty texture without an error.
ETextureDecoder TextureDecoderFor(std::string_view fileName);
