// The index lists of a primitive block read into corners, each a group of slots, and runs of corners: the
// polygons, strips and fans whose faces they make. Every count is checked against its text before anything is
// allocated.
#pragma once

#include <cstddef>
#include <string_view>

#include "Colladaasset.h"
#include "LoadNotes.h"
#include "XmlDocument.h"

// How the corners of a run make faces: a fan (a triangle, a polygon, <trifans>), a strip of triangles, or a
// strip of lines (a line, <linestrips>).
enum class TRunKind { Fan, Strip, LineStrip };

struct TBlockCorners {
    TRunKind Kind = TRunKind::Fan;
    bool Lines = false;
    TIntArray Slots;  // Stride per corner
    std::size_t Stride = 1;
    std::size_t Corners = 0;
    // Corners per run, in order; empty when every run has UniformRun corners.
    TIntArray RunSizes;
    int UniformRun = 3;
    long long HolesDropped = 0;
    long long SlotsDropped = 0;  // the tail of a <p> that makes no whole corner
};

// Whether the element is a primitive block of a mesh.
bool IsPrimitiveBlock(std::string_view name);

// Reads the block's index lists for corners of `stride` slots.
TBlockCorners ReadBlockCorners(const TXmlNode& block, std::size_t stride, TLoadNotes* notes);
