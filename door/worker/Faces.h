// The library's faces made safe for its post-processing and quick for its triangulation, between its reading and
// those steps. The steps trust every index a reader gives: a face with a corner past its mesh's vertices (a
// PLY face list cut short gives one) makes them read wild memory, so such faces are dropped here. And the
// triangulation clips ears one at a time, in time quadratic in a polygon's corners (90 000 corners take
// minutes), so polygons past a bound are cut into fans here instead: right for a convex polygon, and in
// linear time for any.
#pragma once

#include <cstddef>

struct aiScene;

// Corners up to which a polygon is left to the library (its time for one polygon of this many is a few ms).
inline constexpr unsigned MaxClippedCorners = 1024;

struct TFaceRepairs {
    std::size_t Dropped = 0;  // faces without corners, or with a corner past their mesh's vertices
    std::size_t Fanned = 0;   // polygons of more than MaxClippedCorners corners cut into fans
};

TFaceRepairs RepairFaces(aiScene& scene);
