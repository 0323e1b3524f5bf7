#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "LargeAllocation.h"
#include "ModelWire.h"

static_assert(std::endian::native == std::endian::little, "the wire is read as the machine holds numbers");

namespace {

// Reads fields off the message in order; running past its end, or a value out of its range, is an error.
class TWireReader {
public:
    explicit TWireReader(std::span<const unsigned char> message) : Message(message) {}

    std::size_t Left() const { return Message.size() - At; }

    template <typename T>
    T Get(const char* what) {
        T value;
        Take(&value, sizeof value, what);
        return value;
    }

    // A count of things that each take at least `leastBytes` of the message: no larger than what is left.
    std::uint32_t Count(const char* what, std::size_t leastBytes) {
        const auto count = Get<std::uint32_t>(what);
        if (count > Left() / leastBytes)
            Fail(std::string(what) + " " + std::to_string(count) + " is more than it holds");
        return count;
    }

    std::string String(const char* what) {
        const auto length = Get<std::uint32_t>(what);
        if (length > Left()) Fail(std::string(what) + " runs past its end");
        std::string text(reinterpret_cast<const char*>(Message.data() + At), length);
        At += length;
        return text;
    }

    // A name: no NUL, which would cut it short wherever it is passed on as a C string.
    std::string Name(const char* what) {
        std::string name = String(what);
        if (name.find('\0') != std::string::npos) Fail(std::string(what) + " holds a NUL byte");
        return name;
    }

    template <typename T>
    void Array(std::vector<T>& values, std::uint64_t count, const char* what) {
        if (count > Left() / sizeof(T)) Fail(std::string(what) + " runs past its end");
        // Provided in one call rather than a fault for each page, which costs more than the copy on a virtual
        // machine.
        values.reserve(count);
        PopulatePages(values.data(), count * sizeof(T));
        values.resize(count);
        Take(values.data(), count * sizeof(T), what);
    }

    [[noreturn]] void Fail(const std::string& reason) const {
        throw TModelWireError("is malformed at byte " + std::to_string(At) + ": " + reason);
    }

private:
    void Take(void* to, std::size_t size, const char* what) {
        if (size > Left()) Fail(std::string(what) + " runs past its end");
        if (size > 0) std::memcpy(to, Message.data() + At, size);
        At += size;
    }

    std::span<const unsigned char> Message;
    std::size_t At = 0;
};

bool AllFinite(const std::vector<float>& values) {
    // One pass without early exit, which the compiler turns into wide compares.
    bool finite = true;
    for (float v : values) finite &= std::isfinite(v);
    return finite;
}

bool HoldsControlBytes(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

void ReadImages(TWireReader& in, TModelScene& scene) {
    // Each image takes at least its two lengths and its byte count.
    scene.Images.resize(in.Count("the image count", 16));
    for (TModelImage& image : scene.Images) {
        image.Name = in.Name("an image name");
        image.Path = in.String("an image path");
        if (HoldsControlBytes(image.Path)) in.Fail("an image path holds a control byte");
        in.Array(image.Bytes, in.Get<std::uint64_t>("an image's byte count"), "an image's bytes");
        if (image.Path.empty() == image.Bytes.empty()) in.Fail("an image has neither a path nor bytes, or both");
    }
}

void ReadMaterials(TWireReader& in, TModelScene& scene) {
    scene.Materials.resize(in.Count("the material count", 25));
    for (TModelMaterial& material : scene.Materials) {
        material.Name = in.Name("a material name");
        for (float& channel : material.Diffuse) {
            channel = in.Get<float>("a diffuse colour");
            if (!(channel >= 0 && channel <= 1)) in.Fail("a diffuse colour is outside 0..1");
        }
        material.Image = in.Get<std::int32_t>("a material's image");
        if (material.Image < -1 || material.Image >= static_cast<int>(scene.Images.size()))
            in.Fail("a material refers to image " + std::to_string(material.Image) + " of " +
                    std::to_string(scene.Images.size()));
        const auto tints = in.Get<std::uint8_t>("a material's tint");
        if (tints > 1) in.Fail("a material's tint is neither 0 nor 1");
        material.TintsImage = tints == 1;
    }
}

void ReadMesh(TWireReader& in, TModelMesh& mesh, std::size_t materials) {
    mesh.Name = in.Name("a mesh name");
    const auto flags = in.Get<std::uint8_t>("a mesh's flags");
    if (flags & ~(WireMeshLines | WireMeshNormals | WireMeshTexCoords | WireMeshColors)) in.Fail("unknown mesh flags");
    mesh.Lines = flags & WireMeshLines;
    mesh.Material = in.Get<std::int32_t>("a mesh's material");
    if (mesh.Material < -1 || mesh.Material >= static_cast<int>(materials))
        in.Fail("a mesh refers to material " + std::to_string(mesh.Material) + " of " + std::to_string(materials));
    const std::uint64_t vertices = in.Get<std::uint32_t>("a vertex count");
    const std::uint64_t indices = in.Get<std::uint32_t>("an index count");
    in.Array(mesh.Positions, vertices * 3, "a mesh's positions");
    if (flags & WireMeshNormals) in.Array(mesh.Normals, vertices * 3, "a mesh's normals");
    if (flags & WireMeshTexCoords) in.Array(mesh.TexCoords, vertices * 2, "a mesh's texture coordinates");
    if (flags & WireMeshColors) in.Array(mesh.Colors, vertices * 4, "a mesh's colours");
    in.Array(mesh.Indices, indices, "a mesh's indices");
    if (!AllFinite(mesh.Positions) || !AllFinite(mesh.Normals) || !AllFinite(mesh.TexCoords) || !AllFinite(mesh.Colors))
        in.Fail("mesh \"" + mesh.Name + "\" holds a number that is not finite");
    if (mesh.Indices.empty() || mesh.Indices.size() % (mesh.Lines ? 2 : 3) != 0)
        in.Fail("a mesh's index count is not a whole number of " + std::string(mesh.Lines ? "lines" : "triangles"));
    const std::uint32_t largest = *std::max_element(mesh.Indices.begin(), mesh.Indices.end());
    if (largest >= vertices)
        in.Fail("a mesh's index " + std::to_string(largest) + " is past its " + std::to_string(vertices) + " vertices");
}

void ReadInstances(TWireReader& in, TModelScene& scene) {
    scene.Instances.resize(in.Count("the instance count", 140));
    for (TModelInstance& instance : scene.Instances) {
        instance.Mesh = in.Get<std::int32_t>("an instance's mesh");
        if (instance.Mesh < 0 || instance.Mesh >= static_cast<int>(scene.Meshes.size()))
            in.Fail("an instance refers to mesh " + std::to_string(instance.Mesh) + " of " +
                    std::to_string(scene.Meshes.size()));
        instance.Material = in.Get<std::int32_t>("an instance's material");
        if (instance.Material < -1 || instance.Material >= static_cast<int>(scene.Materials.size()))
            in.Fail("an instance refers to material " + std::to_string(instance.Material));
        for (double& value : instance.World) {
            value = in.Get<double>("a world matrix");
            if (!std::isfinite(value)) in.Fail("a world matrix holds a number that is not finite");
        }
        if (instance.World[12] != 0 || instance.World[13] != 0 || instance.World[14] != 0 || instance.World[15] != 1)
            in.Fail("a world matrix's last row is not 0 0 0 1");
        instance.Name = in.Name("an instance name");
    }
}

}  // namespace

TModelScene DecodeModelScene(std::span<const unsigned char> message) {
    TWireReader in(message);
    if (in.Get<std::uint32_t>("the magic number") != ModelWireMagic) in.Fail("it does not start as a model");
    if (const auto version = in.Get<std::uint32_t>("the version"); version != ModelWireVersion)
        in.Fail("version " + std::to_string(version) + " instead of " + std::to_string(ModelWireVersion));
    if (in.Get<std::uint64_t>("the length") != message.size()) in.Fail("its length is not the one it declares");
    TModelScene scene;
    scene.MetresPerUnit = in.Get<double>("the unit");
    if (!(std::isfinite(scene.MetresPerUnit) && scene.MetresPerUnit > 0)) in.Fail("the unit is not a positive number");
    scene.UpAxis = static_cast<char>(in.Get<std::uint8_t>("the up axis"));
    if (scene.UpAxis != 'x' && scene.UpAxis != 'y' && scene.UpAxis != 'z') in.Fail("the up axis is not x, y or z");
    ReadImages(in, scene);
    ReadMaterials(in, scene);
    scene.Meshes.resize(in.Count("the mesh count", 18));
    for (TModelMesh& mesh : scene.Meshes) ReadMesh(in, mesh, scene.Materials.size());
    ReadInstances(in, scene);
    scene.Warnings.resize(in.Count("the warning count", 4));
    for (std::string& warning : scene.Warnings) warning = in.Name("a warning");
    if (in.Left() != 0) in.Fail(std::to_string(in.Left()) + " bytes follow the scene");
    return scene;
}
