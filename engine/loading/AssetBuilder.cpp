#include "AssetBuilder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

#include "Placement.h"
#include "UniqueNames.h"

namespace {

// Instances that cannot share their mesh's geometry each get a copy of its vertices. Together the copies may
// hold this many vertices beyond those of the scene's own meshes, so that a small model of many mirrored
// instances of a large mesh cannot take the machine's memory.
constexpr std::size_t MaxCopiedVertices = std::size_t{1} << 24;

TMatrix UpRotation(char from, char to) {
    if (from == to) return {};
    if (to == 'z') return from == 'x' ? TMatrix::Rotation(1, -90) : TMatrix::Rotation(0, 90);
    return from == 'x' ? TMatrix::Rotation(2, 90) : TMatrix::Rotation(0, -90);
}

float Unit(float value) { return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 1.0f; }

// How a material is drawn: its effect, whether its image textures it, and the colour its vertices carry.
struct TLook {
    std::string Name;
    int EffectIndex = -1;
    bool Textured = false;
    std::optional<std::array<float, 4>> VertexColour;  // multiplies the mesh's own colours, if it has any
};

using TVec = std::array<double, 3>;

TVec Sub(const float* a, const float* b) { return {double(a[0]) - b[0], double(a[1]) - b[1], double(a[2]) - b[2]}; }

TVec Cross(const TVec& u, const TVec& v) {
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

double Dot(const TVec& u, const float* v) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; }

// The mesh's streams, checked: a stream whose length does not fit the positions is left out, and so is a
// primitive with an index past the vertices.
struct TCheckedMesh {
    const TModelMesh& Mesh;
    std::size_t Vertices = 0;
    bool Normals = false, TexCoords = false, Colors = false;
    std::vector<std::uint32_t> Indices;
};

TCheckedMesh Check(const TModelMesh& mesh, std::vector<std::string>& warnings) {
    TCheckedMesh checked{mesh, 0, false, false, false, {}};
    if (mesh.Positions.size() % 3 != 0 || mesh.VertexCount() > static_cast<std::size_t>(INT_MAX)) {
        warnings.push_back("mesh \"" + mesh.Name + "\" left out: its positions do not make whole vertices");
        return checked;
    }
    const std::size_t n = checked.Vertices = mesh.VertexCount();
    const auto fits = [&](const std::vector<float>& stream, std::size_t components, const char* what) {
        if (stream.empty()) return false;
        if (stream.size() == n * components) return true;
        warnings.push_back("mesh \"" + mesh.Name + "\": its " + what + " do not match its vertices and are left out");
        return false;
    };
    checked.Normals = fits(mesh.Normals, 3, "normals");
    checked.TexCoords = fits(mesh.TexCoords, 2, "texture coordinates");
    checked.Colors = fits(mesh.Colors, 4, "colours");
    const std::size_t corners = mesh.Lines ? 2 : 3;
    checked.Indices.reserve(mesh.Indices.size() - mesh.Indices.size() % corners);
    std::size_t dropped = 0;
    for (std::size_t p = 0; p + corners <= mesh.Indices.size(); p += corners) {
        const auto first = mesh.Indices.begin() + static_cast<std::ptrdiff_t>(p);
        if (std::all_of(first, first + static_cast<std::ptrdiff_t>(corners), [n](std::uint32_t i) { return i < n; }))
            checked.Indices.insert(checked.Indices.end(), first, first + static_cast<std::ptrdiff_t>(corners));
        else
            ++dropped;
    }
    if (dropped > 0)
        warnings.push_back("mesh \"" + mesh.Name + "\": " + std::to_string(dropped) +
                           " primitive(s) with indices past its vertices left out");
    return checked;
}

// Smooth normals for a mesh of triangles that has none: each vertex takes the sum of its triangles' normals,
// weighted by their areas, so that the programs' lighting has something to go by.
std::vector<float> MadeNormals(const float* positions, std::size_t vertices,
                               const std::vector<std::uint32_t>& indices) {
    std::vector<double> sums(vertices * 3, 0.0);
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        const float* a = positions + indices[t] * 3;
        const TVec face = Cross(Sub(positions + indices[t + 1] * 3, a), Sub(positions + indices[t + 2] * 3, a));
        for (std::size_t c = 0; c < 3; ++c)
            for (std::size_t k = 0; k < 3; ++k) sums[indices[t + c] * 3 + k] += face[k];
    }
    std::vector<float> normals(vertices * 3, 0.0f);
    for (std::size_t v = 0; v < vertices; ++v) {
        const double* s = &sums[v * 3];
        const double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
        if (length > 0 && std::isfinite(length))
            for (std::size_t k = 0; k < 3; ++k) normals[v * 3 + k] = static_cast<float>(s[k] / length);
    }
    return normals;
}

// Files that store no direction for a face store a zero normal (STL above all), which would leave it unlit: a
// corner whose normal has no direction takes its triangle's.
void ReplaceUnusableNormals(const float* positions, float* normals, const std::vector<std::uint32_t>& indices) {
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        const float* a = positions + indices[t] * 3;
        const TVec face = Cross(Sub(positions + indices[t + 1] * 3, a), Sub(positions + indices[t + 2] * 3, a));
        const double length = std::sqrt(face[0] * face[0] + face[1] * face[1] + face[2] * face[2]);
        if (!(length > 0) || !std::isfinite(length)) continue;
        for (std::size_t c = 0; c < 3; ++c) {
            float* n = normals + indices[t + c] * 3;
            const double squared = double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2];
            if (squared > 1e-12 && std::isfinite(squared)) continue;
            for (int k = 0; k < 3; ++k) n[k] = static_cast<float>(face[k] / length);
        }
    }
}

// The programs light the side of a triangle that faces the viewer by its winding, turning its normals to that
// side. So each triangle is wound to agree with its corners' normals.
void WindByNormals(const float* positions, const float* normals, std::uint32_t* indices, std::size_t count) {
    for (std::size_t t = 0; t + 2 < count; t += 3) {
        const float* a = positions + indices[t] * 3;
        const TVec face = Cross(Sub(positions + indices[t + 1] * 3, a), Sub(positions + indices[t + 2] * 3, a));
        double agreement = 0;
        for (std::size_t c = 0; c < 3; ++c) agreement += Dot(face, normals + indices[t + c] * 3);
        if (agreement < 0) std::swap(indices[t + 1], indices[t + 2]);
    }
}

void Fill(TFloatArray& array, const std::vector<float>& values) {
    array.SetLength(values.size());
    std::copy(values.begin(), values.end(), array.Data());
}

class TBuilder {
public:
    TBuilder(const TModelScene& scene, const std::vector<std::string>& imageKeys, TColladaAsset& asset,
             const TBuildOptions& options, std::vector<std::string>& warnings)
        : Scene(scene), ImageKeys(imageKeys), Asset(asset), Options(options), Warnings(warnings) {}

    void Build() {
        const TMatrix toTarget = ToTarget();
        std::size_t sourceVertices = 0;
        for (const TModelMesh& mesh : Scene.Meshes) sourceVertices += mesh.VertexCount();
        CopyLimit = MaxCopiedVertices + 4 * sourceVertices;
        for (const TModelInstance& instance : Scene.Instances) Place(instance, toTarget);
        if (CopiesMade > 0)
            Warnings.push_back(std::to_string(CopiesMade) +
                               " instance(s) mirrored or sheared by their nodes: their vertices were transformed "
                               "instead");
        if (CopiesRefused > 0)
            Warnings.push_back(std::to_string(CopiesRefused) +
                               " mirrored or sheared instance(s) left out: their copies would hold more than " +
                               std::to_string(CopyLimit) + " vertices");
    }

private:
    TMatrix ToTarget() {
        double unit = Scene.MetresPerUnit;
        if (!(unit > 0) || !std::isfinite(unit)) {
            Warnings.push_back("the model's unit of length is not a positive number: metres are assumed");
            unit = 1;
        }
        const char from = Scene.UpAxis == 'x' || Scene.UpAxis == 'z' ? Scene.UpAxis : 'y';
        TMatrix toTarget = UpRotation(from, Options.UpAxis == 'y' ? 'y' : 'z') * TMatrix::Scaling(unit, unit, unit);
        if (!Options.SizeMetres) return toTarget;
        const double extent = LargestExtent(toTarget);
        const double factor = *Options.SizeMetres / extent;
        if (extent > 0 && std::isfinite(factor) && factor > 0)
            return TMatrix::Scaling(factor, factor, factor) * toTarget;
        Warnings.push_back("the model has no extent to scale to the size asked for");
        return toTarget;
    }

    double LargestExtent(const TMatrix& toTarget) const {
        TVec low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (const TModelInstance& instance : Scene.Instances) {
            if (instance.Mesh < 0 || static_cast<std::size_t>(instance.Mesh) >= Scene.Meshes.size()) continue;
            const TModelMesh& mesh = Scene.Meshes[static_cast<std::size_t>(instance.Mesh)];
            TMatrix world;
            world.M = instance.World;
            world = toTarget * world;
            for (std::size_t v = 0; v + 2 < mesh.Positions.size(); v += 3) {
                const TPoint3 p =
                    world.TransformPoint({mesh.Positions[v], mesh.Positions[v + 1], mesh.Positions[v + 2]});
                for (int a = 0; a < 3; ++a)
                    if (std::isfinite(p[a])) low[a] = std::min(low[a], p[a]), high[a] = std::max(high[a], p[a]);
            }
        }
        double extent = 0;
        for (int a = 0; a < 3; ++a)
            if (high[a] >= low[a]) extent = std::max(extent, high[a] - low[a]);
        return extent;
    }

    void Place(const TModelInstance& instance, const TMatrix& toTarget) {
        if (instance.Mesh < 0 || static_cast<std::size_t>(instance.Mesh) >= Scene.Meshes.size()) return;
        const TModelMesh& mesh = Scene.Meshes[static_cast<std::size_t>(instance.Mesh)];
        const int materialIndex = instance.Material >= 0 ? instance.Material : mesh.Material;
        const TLook& look = LookOf(materialIndex);
        TMatrix world;
        world.M = instance.World;
        world = toTarget * world;
        if (!world.Finite()) {
            Warnings.push_back("node \"" + instance.Name + "\" left out: its placement is not finite");
            return;
        }
        const std::optional<TNodePlacement> placement = PlacementOf(world);
        int geometryIndex = -1;
        if (placement) {
            const auto key = std::make_pair(instance.Mesh, materialIndex);
            const auto shared = SharedGeometry.find(key);
            geometryIndex = shared != SharedGeometry.end() ? shared->second : AddGeometry(mesh, look, nullptr);
            SharedGeometry.emplace(key, geometryIndex);
        } else if (CopiedVertices + mesh.VertexCount() > CopyLimit) {
            ++CopiesRefused;
            return;
        } else {
            geometryIndex = AddGeometry(mesh, look, &world);
            CopiedVertices += mesh.VertexCount();
            CopiesMade += geometryIndex >= 0;
        }
        if (geometryIndex < 0) return;
        AddNode(instance.Name, geometryIndex, look, placement.value_or(TNodePlacement{}));
    }

    const TLook& LookOf(int materialIndex) {
        if (const auto found = Looks.find(materialIndex); found != Looks.end()) return found->second;
        TModelMaterial material;
        material.Name = "material";
        if (materialIndex >= 0 && static_cast<std::size_t>(materialIndex) < Scene.Materials.size())
            material = Scene.Materials[static_cast<std::size_t>(materialIndex)];
        TLook look;
        look.Name = MaterialNames.Take(material.Name, "material");
        std::string imageKey;
        if (material.Image >= 0 && static_cast<std::size_t>(material.Image) < ImageKeys.size())
            imageKey = ImageKeys[static_cast<std::size_t>(material.Image)];
        look.Textured = !imageKey.empty();
        const std::array<float, 4> colour{Unit(material.Diffuse[0]), Unit(material.Diffuse[1]),
                                          Unit(material.Diffuse[2]), Unit(material.Diffuse[3])};
        if (!look.Textured || material.TintsImage) look.VertexColour = colour;
        if (!look.Textured) imageKey = Options.PlainImageKey;

        auto effect = std::make_unique<TEffect>();
        effect->Name = look.Name + "-fx";
        if (!imageKey.empty()) {
            effect->ImageName = look.Name + "-image";
            effect->ImageIndex = static_cast<int>(Asset.Images->Names.size());
            Asset.Images->Names.push_back(effect->ImageName);
            Asset.Images->FileNames.push_back(imageKey);
        }
        look.EffectIndex = Asset.Effects->Items.Count();
        Asset.Effects->Items.Add(std::move(effect));
        return Looks.emplace(materialIndex, std::move(look)).first->second;
    }

    // The mesh as a geometry, moved by `bake` when given; -1 when nothing of it can be drawn.
    int AddGeometry(const TModelMesh& mesh, const TLook& look, const TMatrix* bake) {
        const TCheckedMesh checked = Check(mesh, Warnings);
        if (checked.Indices.empty()) return -1;
        const std::size_t n = checked.Vertices;
        auto geometry = std::make_unique<TGeometry>();
        geometry->Name = GeometryNames.Take(mesh.Name, "mesh");

        std::vector<float> positions = mesh.Positions;
        std::vector<float> normals = checked.Normals ? mesh.Normals : std::vector<float>();
        if (normals.empty() && !mesh.Lines) normals = MadeNormals(positions.data(), n, checked.Indices);
        if (!mesh.Lines) ReplaceUnusableNormals(positions.data(), normals.data(), checked.Indices);
        if (bake) {
            for (std::size_t v = 0; v < n; ++v) {
                const TPoint3 p = bake->TransformPoint({positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]});
                for (int k = 0; k < 3; ++k) positions[v * 3 + k] = static_cast<float>(p[k]);
            }
            for (std::size_t v = 0; v * 3 < normals.size(); ++v) {
                const TPoint3 q = bake->TransformNormal({normals[v * 3], normals[v * 3 + 1], normals[v * 3 + 2]});
                for (int k = 0; k < 3; ++k) normals[v * 3 + k] = static_cast<float>(q[k]);
            }
        }
        std::vector<std::uint32_t> indices = checked.Indices;
        if (!mesh.Lines) WindByNormals(positions.data(), normals.data(), indices.data(), indices.size());

        Fill(geometry->Positions, positions);
        Fill(geometry->Normals, normals);
        if (look.Textured && checked.TexCoords) Fill(geometry->TexCoords, mesh.TexCoords);
        if (look.VertexColour || checked.Colors) {
            const std::array<float, 4> base = look.VertexColour.value_or(std::array<float, 4>{1, 1, 1, 1});
            geometry->Colors.SetLength(n * 4);
            for (std::size_t v = 0; v < n; ++v)
                for (std::size_t k = 0; k < 4; ++k)
                    geometry->Colors[v * 4 + k] = base[k] * (checked.Colors ? Unit(mesh.Colors[v * 4 + k]) : 1.0f);
        }
        TIntArray& list = mesh.Lines ? geometry->LineIndices : geometry->TriangleIndices;
        list.SetLength(indices.size());
        std::copy(indices.begin(), indices.end(), list.Data());
        Asset.Geometries->Items.Add(std::move(geometry));
        return Asset.Geometries->Items.Count() - 1;
    }

    void AddNode(const std::string& name, int geometryIndex, const TLook& look, const TNodePlacement& placement) {
        auto node = std::make_unique<TNode>();
        node->Name = NodeNames.Take(name, "node");
        const auto floats = [](const TPoint3& p) {
            return TFloatArray{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
        };
        node->Position = floats(placement.Translate);
        node->Rotation = floats(placement.Rotate);
        node->Scale = floats(placement.Scale);
        node->GeometryIndex = geometryIndex;
        node->GeometryName = Asset.Geometries->Items[static_cast<std::size_t>(geometryIndex)]->Name;
        node->MaterialSymbol = look.Name;
        node->EffectIndex = look.EffectIndex;
        Asset.VisualScenes->Items.Add(std::move(node));
    }

    const TModelScene& Scene;
    const std::vector<std::string>& ImageKeys;
    TColladaAsset& Asset;
    const TBuildOptions& Options;
    std::vector<std::string>& Warnings;
    TNameTaker MaterialNames, GeometryNames, NodeNames;
    std::map<int, TLook> Looks;
    std::map<std::pair<int, int>, int> SharedGeometry;  // (mesh, material) to its geometry
    std::size_t CopyLimit = 0, CopiedVertices = 0;
    int CopiesMade = 0, CopiesRefused = 0;
};

}  // namespace

std::unique_ptr<TColladaAsset> BuildAsset(const TModelScene& scene, const std::vector<std::string>& imageKeys,
                                          TXmlDocument* document, const TBuildOptions& options,
                                          std::vector<std::string>& warnings) {
    auto asset = std::make_unique<TColladaAsset>(document);
    TBuilder(scene, imageKeys, *asset, options, warnings).Build();
    return asset;
}
