// The expansion of corner-indexed COLLADA primitives into one vertex per corner: each corner's group of
// slots feeds the present streams in the fixed order positions, normals, texture coordinates, colours.
#include "Colladaasset.h"

namespace {

struct TStreamSlot {
    TFloatArray* Stream;
    std::size_t Components;
    TFloatArray Old;  // the values as read from the source
};

}  // namespace

bool TGeometry::BuildStreams() {
    if (TriangleIndices.Empty() && LineIndices.Empty()) return true;
    TIntArray& indices = TriangleIndices.Empty() ? LineIndices : TriangleIndices;

    TStreamSlot all[] = {{&Positions, 3, {}}, {&Normals, 3, {}}, {&TexCoords, 2, {}}, {&Colors, 4, {}}};
    TStreamSlot* present[4];
    std::size_t stride = 0;
    for (TStreamSlot& slot : all)
        if (!slot.Stream->Empty()) present[stride++] = &slot;
    if (stride == 0) return true;

    const std::size_t total = indices.Count();
    const std::size_t vertices = total / stride;
    const TIntArray oldIndices = std::move(indices);
    indices.SetLength(vertices);
    for (std::size_t s = 0; s < stride; ++s) {
        TStreamSlot& slot = *present[s];
        slot.Old = std::move(*slot.Stream);
        slot.Stream->SetLength(total * slot.Components / stride);
    }

    for (std::size_t vertex = 0; vertex < vertices; ++vertex) {
        indices[vertex] = static_cast<int>(vertex);
        for (std::size_t s = 0; s < stride; ++s) {
            const TStreamSlot& slot = *present[s];
            const std::size_t components = slot.Components;
            const int oldIndex = oldIndices[vertex * stride + s];
            // An index outside its source is never read; the vertex keeps zeros for that stream.
            if (oldIndex < 0 || static_cast<std::size_t>(oldIndex) >= slot.Old.Count() / components) {
                ++OutOfRangeIndices;
                continue;
            }
            const float* from = slot.Old.Data() + static_cast<std::size_t>(oldIndex) * components;
            float* to = slot.Stream->Data() + vertex * components;
            for (std::size_t j = 0; j < components; ++j) to[j] = from[j];
        }
    }
    // The slots of a last, incomplete corner group have no vertex to go to.
    DroppedSlots += static_cast<long long>(total - vertices * stride);
    return true;
}
