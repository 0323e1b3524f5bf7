// The model library's triangulation clips ears one at a time, which takes time quadratic in a polygon's corners:
// a polygon of 90 000 corners takes minutes. Polygons past a bound are cut into fans here instead, before the
// library's triangulation sees them: right for a convex polygon, and in linear time for any.
#pragma once

#include <cstddef>

struct aiScene;

// Corners up to which a polygon is left to the library (its time for one polygon of this many is a few ms).
inline constexpr unsigned MaxClippedCorners = 1024;

// Cuts every polygon of more than MaxClippedCorners corners into a fan of triangles; returns how many were cut.
std::size_t FanLargePolygons(aiScene& scene);
