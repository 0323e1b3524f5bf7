// Shader-source reading: whatever bytes a source file holds are kept whole, NUL bytes and CR LF included.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Colladaengine.h"
#include "FuzzTempFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TFuzzTempFile vertex(".vert");
    static const TFuzzTempFile fragment(".frag");
    const std::size_t half = size / 2;
    vertex.Write(data, half);
    fragment.Write(data + half, size - half);
    TShader shader("fuzz", vertex.Path, fragment.Path);
    shader.ReadSources();
    if (shader.VertexSource.size() != half || shader.FragmentSource.size() != size - half ||
        std::memcmp(shader.VertexSource.data(), data, half) != 0 ||
        std::memcmp(shader.FragmentSource.data(), data + half, size - half) != 0)
        __builtin_trap();
    return 0;
}
