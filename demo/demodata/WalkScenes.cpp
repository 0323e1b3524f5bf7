#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "ColladaWriter.h"
#include "Landscape.h"
#include "Mesh.h"
#include "Random.h"
#include "Scenes.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

// The walker starts at (-4, 0, 2) heading 0.3 radians to the right of +x. The showpieces are laid out in
// that heading's frame so that the first view falls on them: `ahead` along the heading, `left` across it.
constexpr float StartX = -4.0f, StartY = 0.0f, StartYaw = 0.3f;
constexpr float PlazaAhead = 9.0f, PlazaRadius = 7.5f, PlazaTop = 0.15f;
constexpr float ColumnShaft = 1.6f, ColumnHeight = ColumnShaft + 0.42f, SphereRadius = 0.6f;
constexpr float SkyRadius = 380.0f, GroundRadius = 370.0f, FlatRadius = 60.0f;

TVec3 InView(float ahead, float left, float height = PlazaTop) {
    const float c = std::cos(StartYaw), s = std::sin(StartYaw);
    return {StartX + ahead * c + left * s, StartY - ahead * s + left * c, height};
}

// The angle about z, in degrees, that turns an object's -y face towards the start position.
float FacingStart(float ahead, float left) {
    const TVec3 p = InView(ahead, left);
    return std::atan2(StartY - p.Y, StartX - p.X) * 180.0f / Pi + 90.0f;
}

TPlacement Place(const TVec3& at, float rotateZ, float scale = 1.0f) {
    TPlacement placement;
    placement.Translate = at;
    placement.RotateZ = rotateZ;
    placement.Scale = {scale, scale, scale};
    return placement;
}

TColor Hue(float h) {
    auto channel = [h](float offset) { return 0.5f + 0.5f * std::cos(2.0f * Pi * (h + offset)); };
    return {channel(0.0f), channel(-1.0f / 3.0f), channel(1.0f / 3.0f), 1.0f};
}

TMesh MakePlaza() {
    TMesh plaza = MakeLathe({{PlazaRadius, 0.0f}, {PlazaRadius, PlazaTop}, {PlazaRadius, PlazaTop}, {0.0f, PlazaTop}},
                            64, 24.0f, 1.0f / PlazaTop);
    // The top is paved in world-sized tiles: four tiles of the texture every 5 units.
    for (std::size_t i = 0; i < plaza.Positions.size(); ++i)
        if (plaza.Normals[i].Z > 0.5f) plaza.TexCoords[i] = {plaza.Positions[i].X / 5.0f, plaza.Positions[i].Y / 5.0f};
    // Unlit like the grass around it, and sandstone-coloured with textures off: the worn rim and the
    // step's sides are a little darker.
    Paint(plaza, [](const TVec3& p, const TVec3& n) {
        const float rim = 1.0f - 0.15f * std::clamp((std::hypot(p.X, p.Y) - PlazaRadius + 2.5f) / 2.5f, 0.0f, 1.0f);
        const float shade = rim * (n.Z > 0.5f ? 1.0f : 0.7f);
        return TColor{0.95f * shade, 0.91f * shade, 0.83f * shade, 1.0f};
    });
    return plaza;
}

TMesh MakeColumn() {
    // Plinth, a shaft that swells a little, and a capital, each part with sharp edges where they meet.
    const float shaft = ColumnShaft;
    std::vector<TProfilePoint> profile = {
        {0.0f, 0.0f},           {0.45f, 0.0f},          {0.45f, 0.0f},          {0.45f, 0.12f},
        {0.45f, 0.12f},         {0.36f, 0.16f},         {0.30f, 0.22f},         {0.31f, 0.22f + shaft * 0.35f},
        {0.28f, 0.22f + shaft}, {0.28f, 0.22f + shaft}, {0.34f, 0.26f + shaft}, {0.42f, 0.34f + shaft},
        {0.42f, 0.34f + shaft}, {0.42f, 0.42f + shaft}, {0.42f, 0.42f + shaft}, {0.0f, 0.42f + shaft}};
    return MakeLathe(profile, 32, 2.0f, 0.8f);
}

void WriteModels(const std::string& folder) {
    TColladaWriter document("Z_UP", "demodata");
    document.AddMaterial("Marble", DataPath("marble.jpg"), {0.8f, 60.0f});
    document.AddMaterial("Emblem", DataPath("logo.bmp"), {0.9f, 80.0f});
    document.AddMaterial("Crate", DataPath("crate.bmp"), {0.1f, 10.0f});
    document.AddMaterial("Bricks", DataPath("bricks.bmp"), {0.1f, 10.0f});

    document.AddGeometry("Column", MakeColumn(), "Marble");
    document.AddGeometry("Sphere", MakeSphere(SphereRadius, 48, 32), "Emblem");
    document.AddGeometry("Crate", MakeBox({1.0f, 1.0f, 1.0f}), "Crate");
    document.AddGeometry("Wall", MakeBox({6.0f, 0.5f, 1.8f}, 2.0f), "Bricks");
    document.AddGeometry("WallLow", MakeBox({3.0f, 0.5f, 1.0f}, 2.0f), "Bricks");
    document.AddGeometry("Plinth", MakeBox({1.0f, 1.0f, 0.3f}, 1.0f), "Marble");

    // A cage of coloured lines: each corner takes the colour of its place in the RGB cube.
    constexpr float latticeSize = 2.0f;
    TMesh lattice = MakeLattice(latticeSize, 4);
    Paint(lattice, [](const TVec3& p, const TVec3&) {
        return TColor{0.3f + 0.7f * (p.X / latticeSize + 0.5f), 0.3f + 0.7f * (p.Y / latticeSize + 0.5f),
                      0.3f + 0.7f * p.Z / latticeSize, 1.0f};
    });
    document.AddGeometry("Lattice", lattice, "Marble");

    // A ring in the colours of the rainbow, standing on edge.
    TMesh ring = MakeTorus(0.9f, 0.25f, 64, 24);
    Paint(ring, [](const TVec3& p, const TVec3&) { return Hue(std::atan2(p.Y, p.X) / (2.0f * Pi)); });
    document.AddGeometry("Ring", ring, "Marble");

    // An obelisk that glows from deep red at its foot to gold at its tip.
    TMesh obelisk = MakeObelisk(0.8f, 0.5f, 3.6f, 0.45f);
    Paint(obelisk, [](const TVec3& p, const TVec3&) {
        const float t = std::clamp(p.Z / 4.0f, 0.0f, 1.0f);
        return TColor{0.75f + 0.25f * t, 0.18f + 0.62f * t, 0.15f + 0.2f * t, 1.0f};
    });
    document.AddGeometry("Obelisk", obelisk, "Marble");

    document.AddNode("Column", "Column", Place(InView(10.0f, 0.0f), 0.0f));
    // The sphere's texture is centred on its -x side, which is turned to face the start.
    const TVec3 sphereCentre = InView(10.0f, 0.0f, PlazaTop + ColumnHeight + SphereRadius);
    document.AddNode("Sphere", "Sphere", Place(sphereCentre, FacingStart(10.0f, 0.0f) - 270.0f));
    document.AddNode("CrateLow", "Crate", Place(InView(6.0f, -3.0f), FacingStart(6.0f, -3.0f) + 12.0f));
    document.AddNode("CrateHigh", "Crate",
                     Place(InView(6.05f, -2.95f, PlazaTop + 1.0f), FacingStart(6.0f, -3.0f) - 14.0f, 0.8f));
    document.AddNode("CrateSide", "Crate", Place(InView(6.9f, -4.2f), FacingStart(6.9f, -4.2f) + 35.0f, 0.7f));
    document.AddNode("Lattice", "Lattice", Place(InView(6.5f, 2.0f), FacingStart(6.5f, 2.0f) + 25.0f));
    document.AddNode("RingStand", "Plinth", Place(InView(10.5f, -2.3f), FacingStart(10.5f, -2.3f)));
    TPlacement ringPlace = Place(InView(10.5f, -2.3f, PlazaTop + 0.3f + 0.9f + 0.25f), FacingStart(10.5f, -2.3f));
    ringPlace.RotateX = 90.0f;
    document.AddNode("Ring", "Ring", ringPlace);
    document.AddNode("Obelisk", "Obelisk", Place(InView(13.0f, 6.0f), FacingStart(13.0f, 6.0f)));
    document.AddNode("WallBack", "Wall", Place(InView(15.5f, -4.0f), FacingStart(15.5f, 0.0f)));
    document.AddNode("WallLow", "WallLow", Place(InView(14.5f, 1.6f), FacingStart(15.5f, 0.0f) + 25.0f));
    document.Save(folder + "/models.dae");
}

void WriteGround(const std::string& folder) {
    TColladaWriter document("Z_UP", "demodata");
    document.AddMaterial("Grass", DataPath("grass.jpg"), {0.0f, 1.0f});
    document.AddMaterial("Paving", DataPath("checker.bmp"), {0.2f, 20.0f});
    document.AddGeometry("Ground", MakeGround(GroundRadius, FlatRadius, 5.0f), "Grass");
    document.AddGeometry("Plaza", MakePlaza(), "Paving");
    document.AddNode("Ground", "Ground", {});
    document.AddNode("Plaza", "Plaza", Place(InView(PlazaAhead, 0.0f, 0.0f), 0.0f));
    document.Save(folder + "/ground.dae");
}

void WriteRocks(const std::string& folder) {
    constexpr int kinds = 6;
    TColladaWriter document("Z_UP", "demodata");
    document.AddMaterial("Rock", DataPath("rock.jpg"), {0.1f, 10.0f});
    const TVec3 sun = SunDirection();
    for (int k = 0; k < kinds; ++k) {
        TMesh rock = MakeRock(1000u + static_cast<std::uint32_t>(k) * 17u, 2);
        const float tint = 0.9f + 0.05f * static_cast<float>(k % 3);
        // Lit from above, dark underneath: rocks turn only about z, so the light stays overhead.
        Paint(rock, [&](const TVec3& p, const TVec3& n) {
            const float light = 0.45f + 0.6f * std::max(0.0f, Dot(n, sun));
            const float foot = 0.65f + 0.35f * std::clamp((p.Z + 0.25f) / 0.5f, 0.0f, 1.0f);
            const float shade = std::min(1.0f, light * foot);
            return TColor{shade * tint, shade * tint, shade * (2.0f - tint) * 0.95f, 1.0f};
        });
        document.AddGeometry("Rock" + std::to_string(k + 1), rock, "Rock");
    }

    // Scattered over the ground, clear of the start position and of the paved square.
    TRandom random(20261209);
    const TVec3 plaza = InView(PlazaAhead, 0.0f);
    int placed = 0;
    while (placed < 48) {
        const float angle = static_cast<float>(random.Range(0.0, 2.0 * std::numbers::pi));
        const float distance = static_cast<float>(9.0 + 140.0 * std::pow(random.Uniform(), 1.6));
        const float x = distance * std::cos(angle), y = distance * std::sin(angle);
        const float size = static_cast<float>(distance < 40.0f ? random.Range(0.3, 0.9) : random.Range(1.0, 4.5));
        const int kind = static_cast<int>(random.Next() % kinds);
        const float turn = static_cast<float>(random.Range(0.0, 360.0));
        if (std::hypot(x - plaza.X, y - plaza.Y) < PlazaRadius + 1.5f + size) continue;
        if (std::hypot(x - StartX, y - StartY) < 3.0f + size) continue;
        ++placed;
        TPlacement placement = Place({x, y, GroundHeight(x, y, FlatRadius) - 0.1f * size}, turn, size);
        placement.Scale.Z *= 0.8f;
        document.AddNode("Rock" + std::to_string(placed), "Rock" + std::to_string(kind + 1), placement);
    }
    document.Save(folder + "/rocks.dae");
}

void WriteSky(const std::string& folder) {
    TColladaWriter document("Z_UP", "demodata");
    document.AddMaterial("Sky", DataPath("sky.jpg"), {0.0f, 1.0f});
    document.AddGeometry("SkyDome", MakeSkyDome(SkyRadius, 48, 3.0f), "Sky");
    document.AddNode("SkyDome", "SkyDome", {});
    document.Save(folder + "/sky.dae");
}

}  // namespace

void WriteWalkScenes(const std::string& folder) {
    WriteModels(folder);
    WriteGround(folder);
    WriteRocks(folder);
    WriteSky(folder);
}
