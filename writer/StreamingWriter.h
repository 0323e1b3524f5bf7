// Writes a document of one large mesh as it goes, for documents too large to build in memory first, in the
// layout every document of ours has (DocumentLayout.h): the values of each source and the index list come from
// callbacks that print them straight to the file, and a node NAME-Node places the geometry NAME-Geometry
// unmoved, with no material.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "StreamConventions.h"

class TStreamingWriter {
public:
    // Writes the head of the document up to the first source of the geometry; upAxis is "Z_UP" or "Y_UP",
    // authoringTool names the program in the document's asset.
    TStreamingWriter(std::FILE* out, const std::string& upAxis, const std::string& authoringTool,
                     const std::string& name);

    // The source of `count` entries of one stream, the positions first and the others after them in the order
    // of the conventions; writeValues prints every entry's components, one space apart.
    void Source(TStreamKind stream, long long count, const std::function<void()>& writeValues);
    // Closes the sources with the <triangles> reading each of them, and the document with the node;
    // writeIndices prints every corner's index once per source, one space apart.
    void Finish(long long triangles, const std::function<void()>& writeIndices);

private:
    void Write(const std::string& text);

    std::FILE* Out;
    std::string Name;
    std::vector<const TStreamConvention*> Sources;
};
