// Writes a document of one large mesh as it goes, for documents too large to build in memory first: the
// values of each source and the index list come from callbacks that print them straight to the file. The
// layout is compact, a line per source, and follows the same conventions as TColladaWriter: sources named
// after their geometry ("-Position", "-Normals", "-UV"), one <triangles> with one input per source at
// consecutive offsets, and a node placed by translate, rotate about z, y and x, and scale.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class TStreamingWriter {
public:
    // Writes the head of the document up to the opening of the geometry NAME; upAxis is "Z_UP" or "Y_UP".
    TStreamingWriter(std::FILE* out, const std::string& upAxis, const std::string& name);

    // A source NAME-SUFFIX of `count` entries of one letter in `params` each; writeValues prints them all.
    void Source(const char* suffix, long long count, const char* params, const std::function<void()>& writeValues);
    // Closes the sources with <triangles> reading each of them in the order given, and the document with a
    // node NAME instancing the geometry unmoved; writeIndices prints every corner's indices.
    void Finish(long long triangles, const std::function<void()>& writeIndices);

private:
    struct TSourceEntry {
        std::string Suffix;
        bool TexCoords;
    };
    const char* SemanticOf(const TSourceEntry& source) const;

    std::FILE* Out;
    std::string Name;
    std::vector<TSourceEntry> Sources;
};
