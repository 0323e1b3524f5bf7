// The one layout of the documents our writers write, piece by piece, for the writer of documents built in
// memory (TColladaWriter) and the writer that streams one large mesh to a file (TStreamingWriter) alike.
//
// A document is its head (the asset, then the images, effects and materials), its geometries, and its tail
// (the visual scene of its nodes and the scene). Sources are named after their geometry and come before
// <vertices> in the order of the stream conventions; one <triangles> or <lines> reads them with one input each
// at consecutive offsets. Every number array (a source's values, a primitive's indices) stands on one line,
// its numbers one space apart: the loader counts a document's lines as it reads it, and keeps next to
// nothing for few long ones. Nodes are placed by translate, rotate about z, y and x, and scale. Every element's name
// equals its id; the kinds get suffixes of their own (-image, -fx, -Geometry, -Node) so that one name can
// serve a material, a geometry and a node without two ids colliding. Names and file names may hold any
// text: the pieces take them as they are and escape them where they write them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MeshData.h"
#include "StreamConventions.h"

// Where a node puts its geometry: angles in degrees, applied about z, then y, then x.
struct TPlacement {
    TVec3 Translate{};
    float RotateZ = 0, RotateY = 0, RotateX = 0;
    TVec3 Scale{1, 1, 1};
};

// What other importers show of a material; our engine takes only the texture from it.
struct TSurfaceLook {
    float Specular = 0.4f;
    float Shininess = 50.0f;
};

namespace DocumentLayout {

// An image NAME-image reading FileName, its effect NAME-fx and the material NAME.
struct TMaterial {
    std::string Name, FileName;
    TSurfaceLook Look;
};

// A node NAME-Node instancing the geometry GEOMETRY-Geometry, with the material bound when there is one.
struct TNode {
    std::string Name, Geometry;
    std::optional<std::string> Material;
    TPlacement Placement;
};

// Throws std::invalid_argument unless the axis is "Z_UP" or "Y_UP".
void CheckUpAxis(const std::string& upAxis);

// Everything before the first geometry: the asset, the material libraries and the opening of the geometries.
void AppendHead(std::string& out, const std::string& upAxis, const std::string& authoringTool,
                const std::vector<TMaterial>& materials);
// Everything after the last geometry: the visual scene of the nodes and the scene.
void AppendTail(std::string& out, const std::vector<TNode>& nodes);

void AppendGeometryHead(std::string& out, const std::string& geometry);
// A source's opening up to its first value, and its closing after its last: `values` numbers in all.
void AppendSourceHead(std::string& out, const std::string& geometry, const TStreamConvention& stream,
                      std::size_t values);
void AppendSourceTail(std::string& out, const std::string& geometry, const TStreamConvention& stream,
                      std::size_t values);
void AppendValues(std::string& out, const std::vector<float>& values);
// The <vertices> and the primitive element reading the sources in the order given, up to its first index.
void AppendPrimitiveHead(std::string& out, const std::string& geometry, bool lines,
                         const std::optional<std::string>& material, std::size_t primitives,
                         const std::vector<const TStreamConvention*>& sources);
// Every corner's index once per source.
void AppendCorners(std::string& out, const std::vector<std::uint32_t>& indices, std::size_t sources);
// The closing of the primitive element and of the geometry.
void AppendGeometryTail(std::string& out, bool lines);

}  // namespace DocumentLayout
