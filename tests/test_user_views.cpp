// The views the programs give a user's scene, without a window: Vantrell's eye outside the scene with the
// whole of it ahead, whatever its size; Lustrane's model centred on the point it turns about, filling two
// thirds of the view.
#include <gtest/gtest.h>

#include <cmath>

#include "AssetBounds.h"
#include "AssetBuilder.h"
#include "ModelPlacement.h"
#include "UserSceneView.h"

namespace {

// A box of the given size standing on z = 0 with one corner at `at`, as an asset.
std::unique_ptr<TColladaAsset> Box(const std::array<double, 3>& at, const std::array<double, 3>& size) {
    TModelScene scene;
    scene.UpAxis = 'z';
    TModelMesh mesh;
    for (int corner = 0; corner < 8; ++corner)
        for (int a = 0; a < 3; ++a) mesh.Positions.push_back(static_cast<float>((corner >> a) & 1 ? size[a] : 0.0));
    mesh.Indices = {0, 1, 3, 0, 3, 2, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                    2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 3, 7, 1, 7, 5};
    scene.Meshes.push_back(mesh);
    TModelInstance instance;
    instance.World[3] = at[0], instance.World[7] = at[1], instance.World[11] = at[2];
    scene.Instances.push_back(instance);
    std::vector<std::string> warnings;
    return BuildAsset(scene, {}, nullptr, {}, warnings);
}

TEST(UserSceneView, ADrillAndABuildingAreBothSeenWholeFromOutsideAndWalkedInStepsOfTheirSize) {
    for (const auto& [at, size] :
         {std::pair{std::array<double, 3>{10, -3, 0}, std::array<double, 3>{0.4, 0.1, 0.2}},
          std::pair{std::array<double, 3>{-200, 50, 0}, std::array<double, 3>{400, 120, 60}}}) {
        SCOPED_TRACE(size[0]);
        const auto scene = Box(at, size);
        const std::optional<TUserSceneView> view = ViewOfUserScene({scene.get()}, 45.0, 702.0 / 387.0);
        ASSERT_TRUE(view);
        const TVector3 eye = view->CameraPosition;
        bool inside = true;
        for (int a = 0; a < 3; ++a) inside = inside && eye[a] >= at[a] && eye[a] <= at[a] + size[a];
        EXPECT_FALSE(inside) << "the eye starts inside the scene";
        // Every corner lies ahead of the eye, within the 45 degree field of view up and down.
        const TVector3 forward = Forward(view->Pitch, view->Yaw);
        for (int corner = 0; corner < 8; ++corner) {
            TVector3 to;
            for (int a = 0; a < 3; ++a) to[a] = at[a] + ((corner >> a) & 1 ? size[a] : 0) - eye[a];
            const double length = std::sqrt(to[0] * to[0] + to[1] * to[1] + to[2] * to[2]);
            const double cosine = (to[0] * forward[0] + to[1] * forward[1] + to[2] * forward[2]) / length;
            EXPECT_GT(cosine, std::cos(60 * M_PI / 180)) << "corner " << corner << " is out of view";
        }
        const double diagonal = std::sqrt(size[0] * size[0] + size[1] * size[1] + size[2] * size[2]);
        EXPECT_NEAR(view->Limits.Step * 80, diagonal, diagonal * 1e-6);
        EXPECT_GT(eye[2], view->Limits.FloorHeight);
        EXPECT_LE(view->Limits.FloorHeight, 1.8);
        EXPECT_LT(view->NearPlane, diagonal / 100);
        EXPECT_GT(view->FarPlane, 2 * diagonal);
        // The start lies within the sphere the eye may walk in.
        TVector3 away;
        for (int a = 0; a < 3; ++a) away[a] = eye[a] - view->Limits.Centre[a];
        EXPECT_LT(std::sqrt(away[0] * away[0] + away[1] * away[1] + away[2] * away[2]), view->Limits.Radius);
    }
}

// A node scaled, turned and moved, in an asset scaled, turned and moved: where drawing puts the box, worked out
// by hand one step at a time.
TEST(DrawnBounds, FollowTheNodesPlacementAndThenTheAssets) {
    const auto scene = Box({0, 0, 0}, {2, 1, 1});
    TNode& node = *scene->VisualScenes->Items[0];
    node.Scale = {1, 1, 3};        // [0,2] x [0,1] x [0,3]
    node.Rotation = {0, 0, 90};    // x, y -> -y, x: [-1,0] x [0,2] x [0,3]
    node.Position = {5, 0, 0};     // [4,5] x [0,2] x [0,3]
    scene->Scale = {2, 2, 2};      // [8,10] x [0,4] x [0,6]
    scene->Rotation = {90, 0, 0};  // y, z -> -z, y: [8,10] x [-6,0] x [0,4]
    scene->Position = {0, 0, 1};   // [8,10] x [-6,0] x [1,5]
    const TBounds bounds = DrawnBounds(*scene);
    const TScenePoint low{8, -6, 1}, high{10, 0, 5};
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(bounds.Low[a], low[a], 1e-9) << a;
        EXPECT_NEAR(bounds.High[a], high[a], 1e-9) << a;
    }
}

TEST(ModelPlacement, AModelFarFromItsOriginTurnsAboutItsOwnMiddleAndFillsTwoThirdsOfTheView) {
    const auto model = Box({1000, 2000, -500}, {2, 4, 4});
    CentreAndFill(*model, 12.0, 45.0);
    const TBounds bounds = DrawnBounds(*model);
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(bounds.Centre()[a], 0, 1e-3);
    // The box's half diagonal is 3; scaled, it is two thirds of the half height of a 45 degree view at 12.
    const double fill = 2.0 / 3.0 * 12 * std::tan(22.5 * M_PI / 180);
    EXPECT_NEAR(bounds.Diagonal() / 2, fill, 1e-4);
    EXPECT_NEAR(model->Scale[0], fill / 3, 1e-6);
}

}  // namespace
