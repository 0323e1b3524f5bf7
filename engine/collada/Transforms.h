// Placements: 4 x 4 matrices, row-major, acting on column vectors, and the transform elements of a node.
#pragma once

#include <array>

#include "XmlDocument.h"

using TMatrix = std::array<double, 16>;

inline constexpr TMatrix IdentityMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TMatrix Multiply(const TMatrix& a, const TMatrix& b);

// A <matrix> or <bind_shape_matrix>: 16 numbers, row by row.
TMatrix ReadMatrix(const TXmlNode& element);

// The product, in document order, of the node's <translate>, <rotate>, <scale>, <matrix>, <lookat> and <skew>.
TMatrix NodeTransform(const TXmlNode& node);
