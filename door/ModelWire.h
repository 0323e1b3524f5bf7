// How the worker hands a model to the door: a TModelScene in a compact binary form of its own, versioned. The
// vertex streams and index lists go as they lie in memory, so that passing a mesh of millions of triangles
// costs a write and a copy. The door reads it as it would a hostile file, since the process that wrote it has
// just read one: every count is checked against the bytes received before anything is allocated, every index
// against its vertex count, every reference against what it refers to, every number for being finite.
//
// Layout (little-endian; a string is a u32 length and its bytes; an array is its values, the count written
// before it):
//   u32 magic "VMDL", u32 version, u64 length of the whole message
//   f64 metres per unit, u8 up axis ('x', 'y' or 'z')
//   u32 image count, then each: name, path, u64 byte count, bytes
//   u32 material count, then each: name, 4 f32 diffuse, i32 image, u8 tints image
//   u32 mesh count, then each: name, u8 flags (lines, normals, texture coordinates, colours), i32 material,
//       u32 vertex count, u32 index count, positions, normals, texture coordinates, colours (those present),
//       u32 indices
//   u32 instance count, then each: i32 mesh, i32 material, 16 f64 world matrix (row-major), name
//   u32 warning count, then each: the warning
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "ModelScene.h"

inline constexpr std::uint32_t ModelWireMagic = 0x4C444D56;  // "VMDL" as bytes
inline constexpr std::uint32_t ModelWireVersion = 1;
// How the worker ends: 0 with the message on its standard output; otherwise with nothing there, and for
// WorkerFailed the reason on its standard error.
// WorkerSanitizerReport: in sanitizer builds, a fault the sanitizers found in the worker's code or its calls.
enum : int { WorkerRead = 0, WorkerFailed = 1, WorkerUsage = 2, WorkerOutOfMemory = 3, WorkerSanitizerReport = 86 };

// The bits of a mesh's flags.
enum : std::uint8_t { WireMeshLines = 1, WireMeshNormals = 2, WireMeshTexCoords = 4, WireMeshColors = 8 };

// What the door finds wrong in a message, in words that follow "FILE: the model reader's answer ".
class TModelWireError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A scene encoded for the wire: the fields in a buffer of their own, the streams where the scene holds them.
class TWireMessage {
public:
    // The pieces in order, to be written one after another; they point into this message and into the scene
    // it was encoded from, which must outlive it.
    std::vector<std::span<const unsigned char>> Pieces() const;
    std::uint64_t Size() const;

private:
    friend TWireMessage EncodeModelScene(const TModelScene& scene);
    void PutBytes(const void* bytes, std::size_t size);
    template <typename T>
    void Put(T value) {
        PutBytes(&value, sizeof value);
    }
    void PutString(const std::string& text);
    template <typename T>
    void PutArray(const std::vector<T>& values) {
        PutRef(values.data(), values.size() * sizeof(T));
    }
    // Bytes that stay where they are, between the fields before and after them.
    void PutRef(const void* bytes, std::size_t size);

    struct TPiece {
        const unsigned char* Outside = nullptr;  // null: Size bytes of Fields from Offset
        std::size_t Offset = 0, Size = 0;
    };
    std::vector<unsigned char> Fields;
    std::vector<TPiece> List;
};

// The scene as a message; the scene must outlive the result.
TWireMessage EncodeModelScene(const TModelScene& scene);

// The scene a message holds, or TModelWireError saying what is wrong with it.
TModelScene DecodeModelScene(std::span<const unsigned char> message);
