// The expansion of corner-indexed COLLADA primitives into one vertex per corner: each corner's group of
// slots feeds the present streams in the fixed order positions, normals, texture coordinates, colours.
#include <algorithm>
#include <cstring>

#include "Colladaasset.h"
#include "LoaderThreads.h"

namespace {

// Writes one value set per vertex of `stream` from the old values its slot of each corner group names. An
// old index outside the source is never read: that vertex keeps zeros. Returns how many were outside.
template <std::size_t Components>
long long ExpandStream(const TFloatArray& old, float* stream, const TIntArray& oldIndices, std::size_t slot,
                       std::size_t stride, std::size_t first, std::size_t last) {
    const std::size_t sourceElements = old.Count() / Components;
    const float* const source = old.Data();
    const int* const corners = oldIndices.Data();
    long long outside = 0;
    for (std::size_t vertex = first; vertex < last; ++vertex) {
        const int oldIndex = corners[vertex * stride + slot];
        float* to = stream + vertex * Components;
        if (oldIndex < 0 || static_cast<std::size_t>(oldIndex) >= sourceElements) {
            ++outside;
            std::fill(to, to + Components, 0.0f);
            continue;
        }
        const float* from = source + static_cast<std::size_t>(oldIndex) * Components;
        // memcpy, not std::copy: a copy that may overlap is a library call for 12 bytes, once per vertex.
        std::memcpy(to, from, Components * sizeof(float));
    }
    return outside;
}

long long ExpandStream(std::size_t components, const TFloatArray& old, float* stream, const TIntArray& oldIndices,
                       std::size_t slot, std::size_t stride, std::size_t from, std::size_t to) {
    switch (components) {
    case 2: return ExpandStream<2>(old, stream, oldIndices, slot, stride, from, to);
    case 3: return ExpandStream<3>(old, stream, oldIndices, slot, stride, from, to);
    default: return ExpandStream<4>(old, stream, oldIndices, slot, stride, from, to);
    }
}

}  // namespace

bool TGeometry::BuildStreams() {
    if (TriangleIndices.Empty() && LineIndices.Empty()) return true;
    TIntArray& indices = TriangleIndices.Empty() ? LineIndices : TriangleIndices;

    struct TStream {
        TFloatArray* Array;
        std::size_t Components;
    };
    // The corners index every vertex stream the document gives, in table order; the generic ones it never gives.
    TStream present[GeometryStreams.size()];
    std::size_t stride = 0;
    for (const TGeometryStream& stream : GeometryStreams) {
        if (!stream.Convention) continue;
        TFloatArray& array = this->*std::get<TFloatArray TGeometry::*>(stream.Values);
        if (!array.Empty()) present[stride++] = {&array, static_cast<std::size_t>(stream.Components)};
    }
    if (stride == 0) return true;

    const std::size_t total = indices.Count();
    const std::size_t vertices = total / stride;
    const TIntArray oldIndices = std::move(indices);
    indices.SetLengthForOverwrite(vertices, TPages::Later);
    int* const vertexIndices = indices.Data();
    ForHalves(vertices, sizeof(int), [&](std::size_t from, std::size_t to) {
        PopulatePages(vertexIndices + from, (to - from) * sizeof(int));
        for (std::size_t vertex = from; vertex < to; ++vertex) vertexIndices[vertex] = static_cast<int>(vertex);
    });

    for (std::size_t slot = 0; slot < stride; ++slot) {
        TFloatArray& stream = *present[slot].Array;
        const std::size_t components = present[slot].Components;
        const TFloatArray old = std::move(stream);
        const std::size_t length = total * components / stride;
        stream.SetLengthForOverwrite(length, TPages::Later);
        float* values = stream.Data();
        long long outside[2] = {0, 0};
        ForHalves(vertices, components * sizeof(float), [&](std::size_t from, std::size_t to) {
            PopulatePages(values + from * components, (to - from) * components * sizeof(float));
            outside[from == 0 ? 0 : 1] = ExpandStream(components, old, values, oldIndices, slot, stride, from, to);
        });
        OutOfRangeIndices += outside[0] + outside[1];
        // An incomplete last corner group leaves a tail that no vertex owns.
        std::fill(values + vertices * components, values + length, 0.0f);
    }
    DroppedSlots += static_cast<long long>(total - vertices * stride);
    return true;
}

int TGeometry::PresentStreamCount() const {
    int count = 0;
    for (const TGeometryStream& stream : GeometryStreams)
        if (stream.Convention) count += (this->*std::get<TFloatArray TGeometry::*>(stream.Values)).Empty() ? 0 : 1;
    return count;
}
