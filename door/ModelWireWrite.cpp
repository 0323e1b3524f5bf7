#include <bit>
#include <cstring>

#include "ModelWire.h"

static_assert(std::endian::native == std::endian::little, "the wire is written as the machine holds numbers");

void TWireMessage::PutBytes(const void* bytes, std::size_t size) {
    if (List.empty() || List.back().Outside) List.push_back({nullptr, Fields.size(), 0});
    const auto* from = static_cast<const unsigned char*>(bytes);
    Fields.insert(Fields.end(), from, from + size);
    List.back().Size += size;
}

void TWireMessage::PutRef(const void* bytes, std::size_t size) {
    if (size > 0) List.push_back({static_cast<const unsigned char*>(bytes), 0, size});
}

void TWireMessage::PutString(const std::string& text) {
    Put(static_cast<std::uint32_t>(text.size()));
    PutBytes(text.data(), text.size());
}

std::vector<std::span<const unsigned char>> TWireMessage::Pieces() const {
    std::vector<std::span<const unsigned char>> pieces;
    pieces.reserve(List.size());
    for (const TPiece& piece : List)
        pieces.emplace_back(piece.Outside ? piece.Outside : Fields.data() + piece.Offset, piece.Size);
    return pieces;
}

std::uint64_t TWireMessage::Size() const {
    std::uint64_t size = 0;
    for (const TPiece& piece : List) size += piece.Size;
    return size;
}

TWireMessage EncodeModelScene(const TModelScene& scene) {
    TWireMessage message;
    message.Put(ModelWireMagic);
    message.Put(ModelWireVersion);
    message.Put(std::uint64_t{0});  // the length, known at the end
    message.Put(scene.MetresPerUnit);
    message.Put(static_cast<std::uint8_t>(scene.UpAxis));

    message.Put(static_cast<std::uint32_t>(scene.Images.size()));
    for (const TModelImage& image : scene.Images) {
        message.PutString(image.Name);
        message.PutString(image.Path);
        message.Put(static_cast<std::uint64_t>(image.Bytes.size()));
        message.PutArray(image.Bytes);
    }
    message.Put(static_cast<std::uint32_t>(scene.Materials.size()));
    for (const TModelMaterial& material : scene.Materials) {
        message.PutString(material.Name);
        for (float channel : material.Diffuse) message.Put(channel);
        message.Put(static_cast<std::int32_t>(material.Image));
        message.Put(static_cast<std::uint8_t>(material.TintsImage));
    }
    message.Put(static_cast<std::uint32_t>(scene.Meshes.size()));
    for (const TModelMesh& mesh : scene.Meshes) {
        message.PutString(mesh.Name);
        const std::uint8_t flags = (mesh.Lines ? WireMeshLines : 0) | (mesh.Normals.empty() ? 0 : WireMeshNormals) |
                                   (mesh.TexCoords.empty() ? 0 : WireMeshTexCoords) |
                                   (mesh.Colors.empty() ? 0 : WireMeshColors);
        message.Put(flags);
        message.Put(static_cast<std::int32_t>(mesh.Material));
        message.Put(static_cast<std::uint32_t>(mesh.VertexCount()));
        message.Put(static_cast<std::uint32_t>(mesh.Indices.size()));
        message.PutArray(mesh.Positions);
        message.PutArray(mesh.Normals);
        message.PutArray(mesh.TexCoords);
        message.PutArray(mesh.Colors);
        message.PutArray(mesh.Indices);
    }
    message.Put(static_cast<std::uint32_t>(scene.Instances.size()));
    for (const TModelInstance& instance : scene.Instances) {
        message.Put(static_cast<std::int32_t>(instance.Mesh));
        message.Put(static_cast<std::int32_t>(instance.Material));
        for (double value : instance.World) message.Put(value);
        message.PutString(instance.Name);
    }
    message.Put(static_cast<std::uint32_t>(scene.Warnings.size()));
    for (const std::string& warning : scene.Warnings) message.PutString(warning);

    const std::uint64_t size = message.Size();
    std::memcpy(message.Fields.data() + 8, &size, sizeof size);
    return message;
}
