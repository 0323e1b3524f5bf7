#include "VertexWelding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "LargeAllocation.h"
#include "LoaderThreads.h"

namespace {

constexpr std::uint32_t NoVertex = UINT32_MAX;

// A vector's storage for `count` entries, its pages provided in one call rather than one fault per page when
// it is first written (a mesh of a million vertices would otherwise take thousands).
template <typename T>
void ReserveProvided(std::vector<T>& values, std::size_t count) {
    values.reserve(count);
    PopulatePages(values.data(), count * sizeof(T));
}

// Gives each corner its vertex. The corners of one position are chained from it, so that finding a corner's
// vertex compares it with the few vertices made at its position, not with every vertex.
class TWelder {
public:
    TWelder(const TBlockCorners& corners, const TBlockInputs& inputs) : Corners(corners) {
        const TStreamInput& position = inputs[TSemantic::Position];
        PositionSlot = position.Offset;
        PositionCount = position.Source->Count;
        // The slots a vertex is told apart by, beside its position's.
        for (const TStreamInput& stream : inputs.Streams)
            if (stream.Source && stream.Offset != PositionSlot &&
                std::find(KeySlots.begin(), KeySlots.begin() + KeyCount, stream.Offset) == KeySlots.begin() + KeyCount)
                KeySlots[KeyCount++] = stream.Offset;
    }

    // Each corner's vertex, NoVertex where the position lies outside its source; FirstCorner of each vertex.
    TLargeArray<std::uint32_t> Weld() {
        const std::size_t count = Corners.Corners;
        const std::size_t stride = Corners.Stride;
        const int* const slots = Corners.Slots.Data();
        TLargeArray<std::uint32_t> vertexOf = AllocateLargeArray<std::uint32_t>(count, TPages::Later);
        TLargeArray<std::uint32_t> head = AllocateLargeArray<std::uint32_t>(PositionCount);
        std::fill(head.get(), head.get() + PositionCount, NoVertex);
        // A vertex per corner at most; the pages are provided as vertices are made.
        FirstCorner = AllocateLargeArray<std::uint32_t>(count, TPages::Later);
        TLargeArray<std::uint32_t> next = AllocateLargeArray<std::uint32_t>(count, TPages::Later);
        for (std::size_t corner = 0; corner < count; ++corner) {
            const int* const own = slots + corner * stride;
            const int position = own[PositionSlot];
            if (position < 0 || static_cast<std::size_t>(position) >= PositionCount) {
                vertexOf[corner] = NoVertex;
                continue;
            }
            std::uint32_t& first = head[static_cast<std::size_t>(position)];
            std::uint32_t vertex = first;
            while (vertex != NoVertex && !SameKey(own, slots + FirstCorner[vertex] * stride)) vertex = next[vertex];
            if (vertex == NoVertex) {
                vertex = static_cast<std::uint32_t>(Vertices++);
                FirstCorner[vertex] = static_cast<std::uint32_t>(corner);
                next[vertex] = first;
                first = vertex;
            }
            vertexOf[corner] = vertex;
        }
        return vertexOf;
    }

    TLargeArray<std::uint32_t> FirstCorner;  // of each vertex
    std::size_t Vertices = 0;

private:
    bool SameKey(const int* a, const int* b) const {
        for (std::size_t k = 0; k < KeyCount; ++k)
            if (a[KeySlots[k]] != b[KeySlots[k]]) return false;
        return true;
    }

    const TBlockCorners& Corners;
    std::size_t PositionSlot = 0;
    std::size_t PositionCount = 0;
    std::array<std::size_t, SemanticCount> KeySlots{};
    std::size_t KeyCount = 0;
};

// One stream of every vertex, read from its source at the index its first corner gives.
long long FillStream(std::vector<float>& values, const TStreamInput& input, int components,
                     std::initializer_list<float> fallback, const TBlockCorners& corners, const TWelder& welder) {
    if (!input.Source) return 0;
    const std::size_t length = welder.Vertices * static_cast<std::size_t>(components);
    ReserveProvided(values, length);
    values.resize(length);
    const int* const slots = corners.Slots.Data();
    long long outside = 0;
    float* out = values.data();
    for (std::size_t vertex = 0; vertex < welder.Vertices; ++vertex) {
        const int index = slots[welder.FirstCorner[vertex] * corners.Stride + input.Offset];
        if (!input.Source->Read(index, out, components, std::data(fallback))) ++outside;
        out += components;
    }
    return outside;
}

// Calls face(first corner of the run, its corner count) for every run that makes a face, and counts the
// runs too short for one.
template <typename Face>
void EachRun(const TBlockCorners& corners, std::size_t faceCorners, TWeldCounts& counts, Face&& face) {
    const std::size_t runs = corners.RunSizes.Empty() ? corners.Corners / static_cast<std::size_t>(corners.UniformRun)
                                                      : corners.RunSizes.Count();
    std::size_t first = 0;
    for (std::size_t run = 0; run < runs; ++run) {
        const std::size_t size = corners.RunSizes.Empty() ? static_cast<std::size_t>(corners.UniformRun)
                                                          : static_cast<std::size_t>(corners.RunSizes[run]);
        if (size > corners.Corners - first) break;
        if (size >= faceCorners)
            face(first, size);
        else if (size > 0)
            ++counts.ShortRuns;
        first += size;
    }
}

// The faces of every run: triangles of fans and strips, or line segments. Each face is kept only when every
// corner has a vertex. The faces are counted first, so that the index list is made at its length at once.
void AddFaces(const TBlockCorners& corners, const std::uint32_t* vertexOf, TModelMesh& mesh, TWeldCounts& counts) {
    const std::size_t faceCorners = corners.Lines ? 2 : 3;
    std::size_t faces = 0;
    TWeldCounts uncounted;
    EachRun(corners, faceCorners, uncounted, [&](std::size_t, std::size_t size) { faces += size - faceCorners + 1; });
    ReserveProvided(mesh.Indices, faces * faceCorners);
    mesh.Indices.resize(faces * faceCorners);
    std::uint32_t* out = mesh.Indices.data();
    const auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        if (a == NoVertex || b == NoVertex || c == NoVertex) {
            ++counts.FacesDropped;
            return;
        }
        *out++ = a;
        *out++ = b;
        if (faceCorners == 3) *out++ = c;
    };
    EachRun(corners, faceCorners, counts, [&](std::size_t first, std::size_t size) {
        const std::uint32_t* const v = vertexOf + first;
        switch (corners.Kind) {
        case TRunKind::Fan:
            for (std::size_t k = 1; k + 1 < size; ++k) add(v[0], v[k], v[k + 1]);
            break;
        case TRunKind::Strip:
            // Every second triangle of a strip is turned back, so that all face the same way.
            for (std::size_t k = 0; k + 2 < size; ++k)
                k % 2 == 0 ? add(v[k], v[k + 1], v[k + 2]) : add(v[k + 1], v[k], v[k + 2]);
            break;
        case TRunKind::LineStrip:
            for (std::size_t k = 0; k + 1 < size; ++k) add(v[k], v[k + 1], 0);
            break;
        }
    });
    mesh.Indices.resize(static_cast<std::size_t>(out - mesh.Indices.data()));
}

}  // namespace

TWeldCounts WeldBlock(const TBlockCorners& corners, const TBlockInputs& inputs, TModelMesh& mesh) {
    TWeldCounts counts;
    mesh.Lines = corners.Lines;
    if (!inputs[TSemantic::Position].Source || corners.Corners == 0) return counts;
    TWelder welder(corners, inputs);
    const TLargeArray<std::uint32_t> vertexOf = welder.Weld();
    // The streams and the faces read what the welding made and write apart: on a large block, on two threads.
    const auto fill = [&] {
        counts.OutOfRange += FillStream(mesh.Positions, inputs[TSemantic::Position], 3, {0, 0, 0}, corners, welder);
        counts.OutOfRange += FillStream(mesh.Normals, inputs[TSemantic::Normal], 3, {0, 0, 0}, corners, welder);
        counts.OutOfRange += FillStream(mesh.TexCoords, inputs[TSemantic::TexCoord], 2, {0, 0}, corners, welder);
        counts.OutOfRange += FillStream(mesh.Colors, inputs[TSemantic::Color], 4, {1, 1, 1, 1}, corners, welder);
    };
    TWeldCounts faceCounts;
    const auto faces = [&] { AddFaces(corners, vertexOf.get(), mesh, faceCounts); };
    if (WorthTwoThreads(corners.Corners * 3 * sizeof(std::uint32_t)))
        RunInTwo(fill, faces);
    else {
        fill();
        faces();
    }
    counts.FacesDropped = faceCounts.FacesDropped;
    counts.ShortRuns = faceCounts.ShortRuns;
    return counts;
}
