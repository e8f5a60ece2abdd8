// The view link: a state written and read back is the same state bit for bit,
// and hostile fragments are repaired field by field with one warning.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "camera/Camera.h"
#include "viewer/AppState.h"
#include "viewer/Commands.h"
#include "viewer/ViewLink.h"

namespace {

// A state far from the defaults in every field, the camera moved by drags.
void moveAway(AppState& state)
{
    for (int id : {11, 11, 12, 13, 14, 15, 21, 22, 23, 41, 41, 44, 45, 46, 51, 51, 53, 63, 34, 34})
        applyCommand(state, id);
    state.mesh.t = 0.1 + 1.0 / 3;  // not a multiple of any step
    state.alpha = 0.123456789f;
    state.stereoDistance = -0.0734f;
    state.camera->orbit(10, 20, 47.5f, 3.25f);
    state.camera->pan(-13, 7);
    state.camera->dolly(29);
}

TEST(ViewLink, RoundTripIsBitExact)
{
    AppState original;
    original.camera = new Camera(512, 512, 2.0f, Vector3(0, 0, 0, 1));
    moveAway(original);
    const ViewLink before = captureView(original);
    const std::string link = encodeViewLink(before);

    AppState copy;
    copy.camera = new Camera(512, 512, 2.0f, Vector3(0, 0, 0, 1));
    std::string warning = "untouched";
    applyView(decodeViewLink("#" + link, captureView(copy), warning), copy);
    EXPECT_EQ(warning, "");
    const ViewLink after = captureView(copy);
    EXPECT_EQ(encodeViewLink(after), link);
    // Bytes, not decimal text: the same floats draw the same frame.
    EXPECT_EQ(std::memcmp(before.eye, after.eye, sizeof before.eye), 0);
    EXPECT_EQ(std::memcmp(before.up, after.up, sizeof before.up), 0);
    EXPECT_EQ(copy.mesh.t, original.mesh.t);
    EXPECT_EQ(copy.deltaT, original.deltaT);
    EXPECT_EQ(copy.alpha, original.alpha);
    EXPECT_TRUE(copy.mesh.dirty);
    delete original.camera;
    delete copy.camera;
}

struct Hostile {
    const char* name;
    std::string fragment;
    bool warns;
    void (*check)(const ViewLink&);
};

const ViewLink defaults{};

TEST(ViewLink, HostileFragmentsAreRepairedFieldByField)
{
    const std::string camera = "0,0,9,0,0,0,0,1,0";
    const Hostile cases[] = {
        {"empty", "", false, [](const ViewLink& v) { EXPECT_EQ(v.t, 0); }},
        {"garbage", "#%%%&&==&\xff\x01", true, [](const ViewLink& v) { EXPECT_EQ(v.totalStrips, 8); }},
        {"nan and inf", "t=nan&alpha=inf&eye=-inf&lat=12", true,
         [](const ViewLink& v) { EXPECT_EQ(v.t, 0); EXPECT_EQ(v.alpha, 0.3f); EXPECT_EQ(v.stereoDistance, 0.1f); }},
        {"huge numbers clamp", "t=1e300&lat=1e9&lon=-5&strips=99999999999&mode=-3&dt=1e30", true,
         [](const ViewLink& v) {
             EXPECT_EQ(v.t, 1);
             EXPECT_EQ(v.latitudinalPatches, linkMaxPatches);
             EXPECT_EQ(v.longitudinalPatches, 2);
             EXPECT_EQ(v.totalStrips, linkMaxStrips);
             EXPECT_EQ(v.displayMode, 0);
             EXPECT_EQ(v.timeStepDenominator, linkMaxDenominator);
         }},
        {"step to nearest power of two", "dt=300", true, [](const ViewLink& v) { EXPECT_EQ(v.timeStepDenominator, 256); }},
        {"repeated key: first counts", "t=0.25&t=0.75", true, [](const ViewLink& v) { EXPECT_EQ(v.t, 0.25); }},
        {"bad booleans ignored, good kept", "axes=2&blend=yes&text=0", true,
         [](const ViewLink& v) { EXPECT_FALSE(v.showWorldAxes); EXPECT_FALSE(v.alphaBlending); EXPECT_FALSE(v.showText); }},
        {"shown above total", "strips=3&shown=9", true, [](const ViewLink& v) { EXPECT_EQ(v.stripsShown, 3); }},
        {"percent escapes", "t=0%2E5&cam=" + camera, false,
         [](const ViewLink& v) { EXPECT_EQ(v.t, 0.5); EXPECT_TRUE(v.hasCamera); EXPECT_EQ(v.eye[2], 9); }},
        {"hex float and spaces refused", "t=0x1p-1&lat= 20", true,
         [](const ViewLink& v) { EXPECT_EQ(v.t, 0); EXPECT_EQ(v.latitudinalPatches, 12); }},
        {"camera: too few numbers", "cam=1,2,3", true, [](const ViewLink& v) { EXPECT_FALSE(v.hasCamera); }},
        {"camera: eye on target", "cam=1,1,1,1,1,1,0,1,0", true, [](const ViewLink& v) { EXPECT_FALSE(v.hasCamera); }},
        {"camera: up along the sight", "cam=0,0,9,0,0,0,0,0,1", true, [](const ViewLink& v) { EXPECT_FALSE(v.hasCamera); }},
        {"camera: nan", "cam=0,0,nan,0,0,0,0,1,0", true, [](const ViewLink& v) { EXPECT_FALSE(v.hasCamera); }},
        {"100 kB value", "t=" + std::string(100000, '5'), true, [](const ViewLink& v) { EXPECT_EQ(v.t, 0); }},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.name);
        std::string warning;
        const ViewLink view = decodeViewLink(c.fragment, defaults, warning);
        EXPECT_EQ(!warning.empty(), c.warns) << warning;
        c.check(view);
    }
}

TEST(ViewLink, OneBoundedWarningForAFloodOfJunkKeys)
{
    std::string fragment;
    for (int i = 0; i < 20000; ++i)
        fragment += "junk" + std::to_string(i) + "=1&";
    std::string warning;
    decodeViewLink(fragment + "t=0.5", defaults, warning);
    EXPECT_EQ(warning.find('\n'), std::string::npos);
    EXPECT_LT(warning.size(), 400u);
    EXPECT_NE(warning.find("and 19992 more"), std::string::npos) << warning;
}

}  // namespace
