// The viewer's walk camera and the shading demo's animation, without a window.
#include <gtest/gtest.h>

#include <cmath>

#include "Animation.h"
#include "WalkCamera.h"

namespace {

TKeyTable Held(std::initializer_list<int> keys) {
    TKeyTable table = {};
    for (int key : keys) table[key] = true;
    return table;
}

double Distance(const TVector3& p) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }

}  // namespace

TEST(WalkCamera, StartViewLooksAlongTheTurnedXAxis) {
    const TVector3 eye = {-4.0, 0.0, 2.0};
    const TVector3 f = Forward(0.0, 0.3);
    EXPECT_NEAR(eye[0] + f[0], -3.0447, 1e-4);
    EXPECT_NEAR(eye[1] + f[1], -0.2955, 1e-4);
    EXPECT_DOUBLE_EQ(eye[2] + f[2], 2.0);
    // Positive pitch looks down; left is horizontal whatever the pitch.
    EXPECT_LT(Forward(0.5, 0.0)[2], 0.0);
    const TVector3 l = Left(0.3);
    EXPECT_NEAR(l[0] * f[0] + l[1] * f[1] + l[2] * f[2], 0.0, 1e-15);
    EXPECT_EQ(l[2], 0.0);
}

TEST(WalkCamera, EachKeyMovesOneUnitAndOppositeKeysCancel) {
    struct Case {
        TKeyTable Keys;
        TVector3 Expected;
    } cases[] = {
        {Held({KeyW}), {-3.0, 0.0, 2.0}},
        {Held({KeyS}), {-5.0, 0.0, 2.0}},
        {Held({KeyA}), {-4.0, 1.0, 2.0}},
        {Held({KeyD}), {-4.0, -1.0, 2.0}},
        {Held({KeyW, KeyS}), {-4.0, 0.0, 2.0}},
        {Held({KeyA, KeyD, KeyW}), {-3.0, 0.0, 2.0}},
        {Held({'Q', 'E', 87 + 32}), {-4.0, 0.0, 2.0}},  // other codes, lower-case 'w' among them, do nothing
    };
    for (const Case& c : cases) {
        TVector3 position = {-4.0, 0.0, 2.0};
        WalkStep(position, 0.0, 0.0, c.Keys);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(position[i], c.Expected[i], 1e-12);
    }
}

TEST(WalkCamera, LookingDownTheEyeSinksToTheFloorThenKeepsWalking) {
    TVector3 position = {-4.0, 0.0, 6.0};
    WalkStep(position, 1.0, 0.0, Held({KeyW}));
    EXPECT_NEAR(position[2], 6.0 - std::sin(1.0), 1e-12);  // about 0.84 a tick
    for (int tick = 0; tick < 10; ++tick) WalkStep(position, 1.0, 0.0, Held({KeyW}));
    EXPECT_EQ(position[2], EyeHeight);
    const double x = position[0];
    WalkStep(position, 1.0, 0.0, Held({KeyW}));
    EXPECT_EQ(position[2], EyeHeight);
    EXPECT_NEAR(position[0] - x, std::cos(1.0), 1e-12);
}

TEST(WalkCamera, AStepPastTheSphereIsUndoneWhole) {
    // w alone would stay inside; a pushes past the radius, so neither part of the step is kept.
    TVector3 position = {0.0, 49.5, 2.0};
    const TVector3 before = position;
    WalkStep(position, 0.0, 0.0, Held({KeyW, KeyA}));
    EXPECT_EQ(position, before);
    // Not pulled onto the sphere either: walking straight out from just inside stays put.
    position = {49.2, 0.0, 2.0};
    WalkStep(position, 0.0, 0.0, Held({KeyW}));
    EXPECT_EQ(position, (TVector3{49.2, 0.0, 2.0}));
}

TEST(WalkCamera, TheFloorComesAfterTheSphereTest) {
    // The step ends inside the sphere below the floor; raising it leaves the eye just outside.
    TVector3 position = {48.99, 0.0, 1.8};
    WalkStep(position, 0.2, 0.0, Held({KeyW}));
    EXPECT_EQ(position[2], EyeHeight);
    EXPECT_GT(Distance(position), WalkRadius);
    // So the next outward step is undone, while an inward one is taken.
    const TVector3 outside = position;
    WalkStep(position, 0.0, 0.0, Held({KeyW}));
    EXPECT_EQ(position, outside);
    WalkStep(position, 0.0, 0.0, Held({KeyS}));
    EXPECT_NEAR(position[0], outside[0] - 1.0, 1e-12);
}

TEST(WalkCamera, PitchMovesPastTheLimitAreRefusedWhole) {
    double pitch = 0.0, yaw = 0.0;
    TurnView(pitch, yaw, 0, 105);
    EXPECT_NEAR(pitch, 1.5, 1e-12);
    TurnView(pitch, yaw, 0, 1);
    EXPECT_NEAR(pitch, 1.5, 1e-12);  // further down: refused
    TurnView(pitch, yaw, 0, -7);
    EXPECT_NEAR(pitch, 1.4, 1e-12);  // up: accepted

    pitch = 0.0;
    TurnView(pitch, yaw, 0, 106);
    EXPECT_EQ(pitch, 0.0);  // not clamped to the limit
    TurnView(pitch, yaw, 0, -106);
    EXPECT_EQ(pitch, 0.0);
    TurnView(pitch, yaw, 0, -105);
    EXPECT_NEAR(pitch, -1.5, 1e-12);
}

TEST(WalkCamera, SeventyPixelsAcrossTurnOneRadianWithoutLimit) {
    double pitch = 0.2, yaw = 0.3;
    TurnView(pitch, yaw, 70, 0);
    EXPECT_NEAR(yaw, 1.3, 1e-12);
    EXPECT_EQ(pitch, 0.2);
    for (int i = 0; i < 10; ++i) TurnView(pitch, yaw, -700, 0);
    EXPECT_NEAR(yaw, 1.3 - 100.0, 1e-9);  // neither limited nor wrapped
}

TEST(ModelAnimation, TheTurnWrapsOnlyAbove360) {
    EXPECT_FLOAT_EQ(TurnStep(0.0f), 1.2f);
    EXPECT_NEAR(TurnStep(359.6f), 0.8f, 1e-4);  // 360.8 becomes 0.8, to a float's precision near 360
    EXPECT_EQ(TurnStep(358.8f), 360.0f);        // exactly 360 stays
    EXPECT_NEAR(TurnStep(360.0f), 1.2f, 1e-4);  // and wraps on the next tick
    EXPECT_FLOAT_EQ(TurnStep(-50.0f), -48.8f);  // no wrap at the low end
    float angle = 0.0f;
    int wraps = 0;
    for (int tick = 0; tick < 800; ++tick) {  // 960 degrees at 1.2 a tick
        const float next = TurnStep(angle);
        if (next < angle) ++wraps;
        angle = next;
        ASSERT_LE(angle, 360.0f);
    }
    EXPECT_EQ(wraps, 2);
}

TEST(ModelAnimation, DraggingTurnsAThirdOfADegreePerPixelWithoutLimit) {
    float angleX = 0.0f, angleY = 5.0f;
    DragModel(angleX, angleY, -30, 0);
    EXPECT_FLOAT_EQ(angleY, -5.0f);  // negative and left so
    EXPECT_EQ(angleX, 0.0f);
    DragModel(angleX, angleY, 0, 300);
    EXPECT_FLOAT_EQ(angleX, 100.0f);
    DragModel(angleX, angleY, 0, 900);
    EXPECT_FLOAT_EQ(angleX, 400.0f);  // never limited
}

TEST(ModelAnimation, TheLightStartsAtTheTopAndCirclesAtRadius30) {
    float position[4] = {0.0f, 0.0f, 20.0f, 1.0f};
    float phase = 0.0f;
    PlaceLightOnCircle(position, phase);
    EXPECT_EQ(position[0], 0.0f);
    EXPECT_EQ(position[1], 30.0f);
    phase = NextLightPhase(phase);
    EXPECT_EQ(phase, 0.03f);
    PlaceLightOnCircle(position, phase);
    EXPECT_FLOAT_EQ(position[0], static_cast<float>(std::sin(0.03f) * 30.0));
    EXPECT_FLOAT_EQ(position[1], static_cast<float>(std::cos(0.03f) * 30.0));
    EXPECT_EQ(position[2], 20.0f);
    EXPECT_EQ(position[3], 1.0f);
    for (int tick = 1; tick < 210; ++tick) phase = NextLightPhase(phase);
    EXPECT_NEAR(phase, 6.3, 1e-3);  // one circle takes about 6.3 seconds of 30 ms ticks
}
