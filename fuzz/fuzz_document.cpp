// The whole loader: document bytes through the XML adapter, the libraries, the links and the stream expansion.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "Colladaasset.h"
#include "FuzzTempFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TFuzzTempFile file(".dae");
    static TXmlDocument document;  // shared by every load, as the engine shares it
    file.Write(data, size);
    TColladaAsset asset(&document);
    try {
        if (!asset.LoadFromFile(file.Path)) return 0;
    } catch (const TXmlError&) {
        return 0;
    } catch (const std::length_error&) {
        return 0;
    }
    // A loaded asset is drawn from these arrays: every present stream must cover every vertex its index list names.
    for (const auto& geometry : asset.Geometries->Items) {
        const TIntArray& indices =
            geometry->TriangleIndices.Empty() ? geometry->LineIndices : geometry->TriangleIndices;
        const std::size_t vertices = indices.Count();
        // The streams a document gives, with what each holds.
        std::vector<std::pair<std::size_t, std::size_t>> streams;  // values, components
        for (const TGeometryStream& stream : GeometryStreams)
            if (stream.Convention && stream.Count(*geometry) > 0)
                streams.emplace_back(stream.Count(*geometry), static_cast<std::size_t>(stream.Components));
        if (streams.empty()) continue;  // no array is enabled for drawing, so the indices name nothing
        for (int index : indices)
            if (index < 0 || static_cast<std::size_t>(index) >= vertices) __builtin_trap();
        for (const auto& [values, components] : streams)
            if (vertices > 0 && values < components * vertices) __builtin_trap();
    }
    return 0;
}
