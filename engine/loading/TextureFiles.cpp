#include "TextureFiles.h"

#include <algorithm>
#include <string>

ETextureDecoder TextureDecoderFor(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t slash = fileName.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return ETextureDecoder::None;
    std::string extension(fileName.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (extension == ".bmp") return ETextureDecoder::Bmp;
    if (extension == ".jpg" || extension == ".jpeg") return ETextureDecoder::Jpeg;
    return ETextureDecoder::None;
}
