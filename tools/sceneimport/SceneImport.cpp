#include "SceneImport.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>

#include "ColladaWriter.h"
#include "Placement.h"
#include "Textures.h"
#include "UniqueNames.h"
#include "Weld.h"

namespace fs = std::filesystem;

namespace {

// Deeper node trees than this are taken for a loop or an attack, not a model.
constexpr int MaxNodeDepth = 1000;

struct TInstance {
    unsigned Mesh;
    TMatrix World;
    std::string NodeName;
};

struct TLook {
    std::string Material;                // the writer's material
    bool Textured = false;               // false: the material's texture is the plain white one
    std::optional<TColor> VertexColour;  // the material's colour, or the tint of its texture
};

TVec3 Vec3(const TPoint3& p) { return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])}; }

TPlacement WriterPlacement(const std::optional<TNodePlacement>& placement) {
    const TNodePlacement p = placement.value_or(TNodePlacement{});
    return {Vec3(p.Translate), static_cast<float>(p.Rotate[2]), static_cast<float>(p.Rotate[1]),
            static_cast<float>(p.Rotate[0]), Vec3(p.Scale)};
}

TMatrix MatrixOf(const aiMatrix4x4& m) {
    TMatrix out;
    const ai_real* values = m[0];
    std::copy(values, values + 16, out.M.begin());
    return out;
}

void CollectInstances(const aiNode& node, const TMatrix& parent, int depth, std::vector<TInstance>& out) {
    if (depth > MaxNodeDepth) throw TImportError("the node tree is deeper than " + std::to_string(MaxNodeDepth));
    const TMatrix world = parent * MatrixOf(node.mTransformation);
    for (unsigned i = 0; i < node.mNumMeshes; ++i) out.push_back({node.mMeshes[i], world, node.mName.C_Str()});
    for (unsigned i = 0; i < node.mNumChildren; ++i) CollectInstances(*node.mChildren[i], world, depth + 1, out);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The model reader gives every format y up; its COLLADA reader has applied the document's unit already, but
// its FBX reader leaves the file's unit (centimetres by default) to the caller.
TMatrix SourceToMetres(const aiScene& scene, const std::string& input) {
    double unit = 1.0;
    if (Lower(fs::path(input).extension().string()) == ".fbx") {
        unit = 0.01;
        double factor = 0;
        float factorFloat = 0;
        if (scene.mMetaData && scene.mMetaData->Get("UnitScaleFactor", factor) && factor > 0)
            unit = factor / 100;
        else if (scene.mMetaData && scene.mMetaData->Get("UnitScaleFactor", factorFloat) && factorFloat > 0)
            unit = factorFloat / 100;
    }
    return TMatrix::Scaling(unit, unit, unit);
}

// "what dropped: a, b, c" for the named things the engine has no place for, the names shortened to a few.
class TDropList {
public:
    void Add(const aiString& name) { Names.emplace_back(name.length > 0 ? name.C_Str() : "(unnamed)"); }
    void Report(const char* what, std::vector<std::string>& warnings) const {
        if (Names.empty()) return;
        constexpr std::size_t Shown = 5;
        std::string text = std::to_string(Names.size()) + " " + what + " dropped:";
        for (std::size_t i = 0; i < std::min(Names.size(), Shown); ++i) text += (i ? ", " : " ") + Names[i];
        if (Names.size() > Shown) text += ", ...";
        warnings.push_back(text);
    }

private:
    std::vector<std::string> Names;
};

std::vector<std::string> DroppedParts(const aiScene& scene) {
    TDropList animations, cameras, lights, skins, morphs;
    for (unsigned i = 0; i < scene.mNumAnimations; ++i) animations.Add(scene.mAnimations[i]->mName);
    for (unsigned i = 0; i < scene.mNumCameras; ++i) cameras.Add(scene.mCameras[i]->mName);
    for (unsigned i = 0; i < scene.mNumLights; ++i) lights.Add(scene.mLights[i]->mName);
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
        if (scene.mMeshes[i]->mNumBones > 0) skins.Add(scene.mMeshes[i]->mName);
        if (scene.mMeshes[i]->mNumAnimMeshes > 0) morphs.Add(scene.mMeshes[i]->mName);
    }
    std::vector<std::string> dropped;
    animations.Report("animation(s)", dropped);
    cameras.Report("camera(s)", dropped);
    lights.Report("light(s)", dropped);
    skins.Report("skin(s), their meshes kept in their rest pose,", dropped);
    morphs.Report("morph target set(s) of meshes", dropped);
    return dropped;
}

TColor DiffuseOf(const aiMaterial& material) {
    aiColor4D colour(0.8f, 0.8f, 0.8f, 1.0f);
    if (material.Get(AI_MATKEY_BASE_COLOR, colour) != AI_SUCCESS) material.Get(AI_MATKEY_COLOR_DIFFUSE, colour);
    float opacity = 1.0f;
    // Several exporters write a transparency of 0 for opaque materials; a surface nobody could see was
    // never meant, so an opacity of 0 is not taken.
    if (material.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && opacity > 0 && opacity < colour.a) colour.a = opacity;
    auto unit = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 1.0f; };
    return {unit(colour.r), unit(colour.g), unit(colour.b), unit(colour.a)};
}

std::optional<std::string> TexturePathOf(const aiMaterial& material) {
    for (aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}) {
        aiString path;
        if (material.GetTextureCount(type) > 0 && material.GetTexture(type, 0, &path) == AI_SUCCESS && path.length > 0)
            return std::string(path.C_Str());
    }
    return std::nullopt;
}

bool IsDrawn(const aiMesh& mesh) {
    return mesh.mNumVertices > 0 && (mesh.mPrimitiveTypes & (aiPrimitiveType_TRIANGLE | aiPrimitiveType_LINE)) != 0;
}

long long TriangleCount(const aiMesh& mesh) {
    long long count = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) count += mesh.mFaces[f].mNumIndices == 3;
    return count;
}

bool IsUsableNormal(const TVec3& n) {
    const float lengthSquared = n.X * n.X + n.Y * n.Y + n.Z * n.Z;
    return std::isfinite(lengthSquared) && lengthSquared > 1e-12f;
}

TVec3 FaceNormal(const TMesh& mesh, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const TVec3 &p = mesh.Positions[a], &q = mesh.Positions[b], &r = mesh.Positions[c];
    const TVec3 u{q.X - p.X, q.Y - p.Y, q.Z - p.Z}, v{r.X - p.X, r.Y - p.Y, r.Z - p.Z};
    const TVec3 face{u.Y * v.Z - u.Z * v.Y, u.Z * v.X - u.X * v.Z, u.X * v.Y - u.Y * v.X};
    const float length = std::sqrt(face.X * face.X + face.Y * face.Y + face.Z * face.Z);
    if (!(length > 0)) return {};
    return {face.X / length, face.Y / length, face.Z / length};
}

// The programs light the side of a triangle that faces the viewer by its winding, turning its normals to
// that side. So triangles are wound to agree with their normals; and where a file stores zero normals
// (STL above all), which would leave a surface unlit, a corner takes its triangle's.
void OrientByNormals(TMesh& mesh) {
    if (mesh.Lines || mesh.Normals.empty()) return;
    for (std::size_t t = 0; t + 2 < mesh.Indices.size(); t += 3) {
        const std::uint32_t a = mesh.Indices[t], b = mesh.Indices[t + 1], c = mesh.Indices[t + 2];
        const TVec3 face = FaceNormal(mesh, a, b, c);
        float agreement = 0;
        for (std::uint32_t corner : {a, b, c}) {
            TVec3& n = mesh.Normals[corner];
            if (!IsUsableNormal(n)) n = face;
            agreement += n.X * face.X + n.Y * face.Y + n.Z * face.Z;
        }
        if (agreement < 0) std::swap(mesh.Indices[t + 1], mesh.Indices[t + 2]);
    }
}

// The mesh as the writer takes it; `bake` moves its vertices to where one instance puts them.
TMesh MeshOf(const aiMesh& source, const TLook& look, const TMatrix* bake) {
    TMesh mesh;
    mesh.Lines = (source.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0;
    const unsigned corners = mesh.Lines ? 2 : 3;
    const std::size_t n = source.mNumVertices;
    mesh.Positions.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const aiVector3D& p = source.mVertices[i];
        mesh.Positions[i] = bake ? Vec3(bake->TransformPoint({p.x, p.y, p.z})) : TVec3{p.x, p.y, p.z};
    }
    if (source.HasNormals()) {
        mesh.Normals.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const aiVector3D& v = source.mNormals[i];
            mesh.Normals[i] = bake ? Vec3(bake->TransformNormal({v.x, v.y, v.z})) : TVec3{v.x, v.y, v.z};
        }
    }
    if (look.Textured && source.HasTextureCoords(0)) {
        mesh.TexCoords.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            mesh.TexCoords[i] = {source.mTextureCoords[0][i].x, source.mTextureCoords[0][i].y};
    }
    if (look.VertexColour || source.HasVertexColors(0)) {
        const TColor base = look.VertexColour.value_or(TColor{});
        mesh.Colors.assign(n, base);
        if (source.HasVertexColors(0))
            for (std::size_t i = 0; i < n; ++i) {
                const aiColor4D& c = source.mColors[0][i];
                mesh.Colors[i] = {base.R * c.r, base.G * c.g, base.B * c.b, base.A * c.a};
            }
    }
    mesh.Indices.reserve(std::size_t{source.mNumFaces} * corners);
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
        const aiFace& face = source.mFaces[f];
        if (face.mNumIndices != corners) continue;
        bool inside = true;
        for (unsigned c = 0; c < corners; ++c) inside = inside && face.mIndices[c] < n;
        if (inside) mesh.Indices.insert(mesh.Indices.end(), face.mIndices, face.mIndices + corners);
    }
    OrientByNormals(mesh);
    WeldVertices(mesh);
    return mesh;
}

// The largest extent of everything the instances place, after `toTarget`.
double LargestExtent(const aiScene& scene, const std::vector<TInstance>& instances, const TMatrix& toTarget) {
    double low[3], high[3];
    std::fill(low, low + 3, std::numeric_limits<double>::infinity());
    std::fill(high, high + 3, -std::numeric_limits<double>::infinity());
    for (const TInstance& instance : instances) {
        const aiMesh& mesh = *scene.mMeshes[instance.Mesh];
        if (!IsDrawn(mesh)) continue;
        const TMatrix world = toTarget * instance.World;
        for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
            const TPoint3 xyz = world.TransformPoint({mesh.mVertices[i].x, mesh.mVertices[i].y, mesh.mVertices[i].z});
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], xyz[a]);
                high[a] = std::max(high[a], xyz[a]);
            }
        }
    }
    double extent = 0;
    for (int a = 0; a < 3; ++a) extent = std::max(extent, high[a] - low[a]);
    return extent;
}

// Materials become writer materials on first use, each with its texture written beside the document.
class TLooks {
public:
    TLooks(const aiScene& scene, TColladaWriter& writer, TTextureFiles& textures, std::vector<std::string>& warnings)
        : Scene(scene), Writer(writer), Textures(textures), Warnings(warnings) {}

    const TLook& For(unsigned materialIndex) {
        if (const auto found = Looks.find(materialIndex); found != Looks.end()) return found->second;
        TLook look;
        TColor colour{0.8f, 0.8f, 0.8f, 1.0f};
        std::string wanted = "material";
        std::optional<std::string> texture;
        bool tinted = false;
        if (materialIndex < Scene.mNumMaterials) {
            const aiMaterial& material = *Scene.mMaterials[materialIndex];
            wanted = material.GetName().C_Str();
            colour = DiffuseOf(material);
            if (const auto path = TexturePathOf(material)) texture = Textures.Export(*path, Warnings);
            // A base colour multiplies its texture (glTF); other formats' diffuse colours stand beside theirs.
            aiColor4D base;
            tinted = material.Get(AI_MATKEY_BASE_COLOR, base) == AI_SUCCESS &&
                     (colour.R < 1 || colour.G < 1 || colour.B < 1 || colour.A < 1);
        }
        look.Textured = texture.has_value();
        if (!texture) texture = PlainTexture();
        if (!look.Textured || tinted) look.VertexColour = colour;
        look.Material = Names.Take(wanted, "material");
        Writer.AddMaterial(look.Material, *texture);
        return Looks.emplace(materialIndex, look).first->second;
    }

private:
    // Under the textured switch the programs sample a texture on every surface, so a material of one colour
    // gets a white texture and its colour in its vertices: it shows with textures on and off alike.
    const std::string& PlainTexture() {
        if (Plain.empty()) Plain = Textures.ExportPlain("plain", {2, 2, std::vector<unsigned char>(16, 255)});
        return Plain;
    }

    const aiScene& Scene;
    TColladaWriter& Writer;
    TTextureFiles& Textures;
    std::vector<std::string>& Warnings;
    TUniqueNames Names;
    std::map<unsigned, TLook> Looks;
    std::string Plain;
};

const aiScene& ReadModel(Assimp::Importer& importer, const std::string& input) {
    std::error_code error;
    if (!fs::is_regular_file(input, error)) throw TImportError(input + ": no such file");
    // Points and lines stay apart from triangles, each kind a mesh of its own; polygons become triangles.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, 0);
    // Users know their COLLADA nodes by name; the reader's default is the id, or a made-up name without one.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
    const aiScene* scene =
        importer.ReadFile(input, aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenNormals);
    // A scene flagged incomplete (cameras or lights without meshes) still has its nodes; whether anything of
    // it draws is decided by what the import finds.
    if (!scene || !scene->mRootNode) {
        const std::string reason = importer.GetErrorString();
        throw TImportError(input + ": " +
                           (reason.find("bad_alloc") != std::string::npos
                                ? "the file declares more data than the import may hold in memory"
                                : reason));
    }
    return *scene;
}

}  // namespace

TImportResult ImportScene(const std::string& input, const std::string& output, const TImportOptions& options) {
    Assimp::Importer importer;
    const aiScene& scene = ReadModel(importer, input);
    TImportResult result;
    result.Warnings = DroppedParts(scene);

    std::vector<TInstance> instances;
    CollectInstances(*scene.mRootNode, TMatrix(), 0, instances);

    TMatrix toTarget = SourceToMetres(scene, input);
    if (options.ZUp) toTarget = TMatrix::Rotation(0, 90) * toTarget;
    if (options.SizeMetres) {
        const double extent = LargestExtent(scene, instances, toTarget);
        if (extent > 0)
            toTarget = TMatrix::Scaling(*options.SizeMetres / extent, *options.SizeMetres / extent,
                                        *options.SizeMetres / extent) *
                       toTarget;
    }

    const fs::path outputPath = fs::absolute(output);
    TColladaWriter writer(options.ZUp ? "Z_UP" : "Y_UP", "sceneimport");
    TTextureFiles textures(scene, fs::absolute(input).parent_path(), outputPath.parent_path());
    TLooks looks(scene, writer, textures, result.Warnings);
    TUniqueNames geometryNames, nodeNames;
    std::map<unsigned, std::string> sharedGeometry;
    unsigned points = 0, baked = 0;

    for (const TInstance& instance : instances) {
        if (instance.Mesh >= scene.mNumMeshes) continue;
        const aiMesh& source = *scene.mMeshes[instance.Mesh];
        if (!IsDrawn(source)) {
            points += source.mNumFaces > 0;
            continue;
        }
        result.SourceTriangles += TriangleCount(source);
        const TLook& look = looks.For(source.mMaterialIndex);
        const TMatrix world = toTarget * instance.World;
        const std::optional<TNodePlacement> placement = PlacementOf(world);
        std::string geometry;
        if (placement) {
            auto shared = sharedGeometry.find(instance.Mesh);
            if (shared == sharedGeometry.end()) {
                TMesh mesh = MeshOf(source, look, nullptr);
                if (mesh.Indices.empty()) continue;
                geometry = geometryNames.Take(source.mName.C_Str(), "mesh");
                writer.AddGeometry(geometry, mesh, look.Material);
                shared = sharedGeometry.emplace(instance.Mesh, geometry).first;
            }
            geometry = shared->second;
        } else {
            // A shear or a mirror cannot be a node's placement: this instance gets a copy of the mesh where it
            // belongs.
            TMesh mesh = MeshOf(source, look, &world);
            if (mesh.Indices.empty()) continue;
            geometry = geometryNames.Take(std::string(source.mName.C_Str()) + "-" + instance.NodeName, "mesh");
            writer.AddGeometry(geometry, mesh, look.Material);
            ++baked;
        }
        writer.AddNode(nodeNames.Take(instance.NodeName, "node"), geometry, WriterPlacement(placement));
        ++result.Nodes;
    }
    if (points > 0) result.Warnings.push_back(std::to_string(points) + " point mesh(es) dropped: points are not drawn");
    if (baked > 0)
        result.Warnings.push_back(
            std::to_string(baked) +
            " instance(s) sheared or mirrored by their nodes: their vertices were transformed instead");
    if (result.Nodes == 0) throw TImportError(input + ": nothing to draw (no triangles or lines)");
    try {
        writer.Save(outputPath.string());
    } catch (const std::runtime_error& error) {
        throw TImportError(error.what());
    }
    return result;
}
