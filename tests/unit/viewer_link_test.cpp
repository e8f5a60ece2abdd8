// The view link: a state written and read back is the same state bit for bit,
// and hostile fragments are repaired field by field with one warning.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "camera/Camera.h"
#include "viewer/AppState.h"
#include "viewer/Commands.h"
#include "viewer/ViewLink.h"

namespace {

// A state far from the defaults in every field, the camera moved by drags.
void moveAway(AppState& state)
{
    for (int id : {11, 11, 12, 13, 14, 15, 21, 22, 23, 41, 41, 44, 45, 46, 51, 51, 53, 63, 34, 34, 91, 92, 92, 94})
        applyCommand(state, id);
    state.look.bandCount = 7;
    state.look.graticuleDegrees = 12.5;
    state.look.tracks = {{1.0 / 3, -179.25}, {-90, 180}, {45.000000001, 0.1}};
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
    EXPECT_EQ(copy.look.colours, ColourScheme::Latitude);
    EXPECT_EQ(copy.look.bands, BandKind::Longitude);
    EXPECT_EQ(copy.look.bandCount, 7);
    EXPECT_EQ(copy.look.graticuleDegrees, 12.5);
    EXPECT_TRUE(copy.orthographic);
    ASSERT_EQ(copy.look.tracks.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(copy.look.tracks[i].latitude, original.look.tracks[i].latitude);
        EXPECT_EQ(copy.look.tracks[i].longitude, original.look.tracks[i].longitude);
    }
    // The texture is made again for the new look.
    EXPECT_NE(copy.look.revision, 0);
    delete original.camera;
    delete copy.camera;
}

// The second method and the double curves travel in the link too; the
// ruled method's strip commands act on its lobes and lunes.
TEST(ViewLink, RoundTripCarriesTheMethodItsLobesAndTheCurves)
{
    AppState original;
    original.camera = new Camera(512, 512, 2.0f, Vector3(0, 0, 0, 1));
    moveAway(original);
    for (int id : {95, 41, 41, 44, 96})
        applyCommand(original, id);
    ASSERT_EQ(original.mesh.method, EversionMethod::Ruled);
    const std::string link = encodeViewLink(captureView(original));

    AppState copy;
    copy.camera = new Camera(512, 512, 2.0f, Vector3(0, 0, 0, 1));
    std::string warning;
    applyView(decodeViewLink(link, captureView(copy), warning), copy);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(copy.mesh.method, EversionMethod::Ruled);
    EXPECT_EQ(copy.mesh.lobes, 4);
    EXPECT_EQ(copy.mesh.lunesShown, 3);
    EXPECT_TRUE(copy.doubleCurves);
    EXPECT_EQ(encodeViewLink(captureView(copy)), link);
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
        {"look taken as written", "colours=longitude&bands=latitude,12&graticule=30&tracks=10,-20;0.5,180&ortho=1", false,
         [](const ViewLink& v) {
             EXPECT_EQ(v.colours, ColourScheme::Longitude);
             EXPECT_EQ(v.bands, BandKind::Latitude);
             EXPECT_EQ(v.bandCount, 12);
             EXPECT_EQ(v.graticuleDegrees, 30);
             ASSERT_EQ(v.trackCount, 2);
             EXPECT_EQ(v.tracks[1].longitude, 180);
             EXPECT_TRUE(v.orthographic);
         }},
        {"a link carries no picture", "colours=image", true,
         [](const ViewLink& v) { EXPECT_EQ(v.colours, ColourScheme::Sides); }},
        {"unknown scheme and band kind", "colours=earth&bands=diagonal,4", true,
         [](const ViewLink& v) { EXPECT_EQ(v.colours, ColourScheme::Sides); EXPECT_EQ(v.bands, BandKind::None); }},
        {"band count and spacing clamp", "bands=longitude,1e6&graticule=0.2", true,
         [](const ViewLink& v) {
             EXPECT_EQ(v.bandCount, linkMaxBands);
             EXPECT_EQ(v.bands, BandKind::Longitude);
             EXPECT_EQ(v.graticuleDegrees, 1);
         }},
        {"track out of range clamps", "tracks=95,-200", true,
         [](const ViewLink& v) {
             ASSERT_EQ(v.trackCount, 1);
             EXPECT_EQ(v.tracks[0].latitude, 90);
             EXPECT_EQ(v.tracks[0].longitude, -180);
         }},
        {"unknown method, lobes and lunes out of range", "method=spiral&lobes=9&lunes=0&curves=2", true,
         [](const ViewLink& v) {
             EXPECT_EQ(v.method, EversionMethod::Corrugations);
             EXPECT_EQ(v.lobes, 5);
             EXPECT_EQ(v.lunesShown, 1);
             EXPECT_FALSE(v.doubleCurves);
         }},
        {"lunes above the lobes", "method=ruled&lobes=3&lunes=5&curves=1", true,
         [](const ViewLink& v) {
             EXPECT_EQ(v.method, EversionMethod::Ruled);
             EXPECT_EQ(v.lunesShown, 3);
             EXPECT_TRUE(v.doubleCurves);
         }},
        {"a broken pair drops the whole list", "tracks=10,20;30", true,
         [](const ViewLink& v) { EXPECT_EQ(v.trackCount, 0); }},
        {"more tracks than a link holds", "tracks=" + [] {
             std::string list = "0,0";
             for (int i = 1; i < 40; ++i)
                 list.append(";").append(std::to_string(i)).append(",1");
             return list;
         }(), true, [](const ViewLink& v) {
             ASSERT_EQ(v.trackCount, linkMaxTracks);
             EXPECT_EQ(v.tracks[linkMaxTracks - 1].latitude, linkMaxTracks - 1);
         }},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.name);
        std::string warning;
        const ViewLink view = decodeViewLink(c.fragment, defaults, warning);
        EXPECT_EQ(!warning.empty(), c.warns) << warning;
        c.check(view);
    }
}

TEST(ViewLink, ImageSchemeNeedsThePictureItHas)
{
    ViewLink showing;
    showing.colours = ColourScheme::Image;
    std::string warning;
    EXPECT_EQ(decodeViewLink("colours=image", showing, warning).colours, ColourScheme::Image);
    EXPECT_EQ(warning, "");

    // Applied to a state without a picture, the scheme falls back.
    AppState state;
    applyView(showing, state);
    EXPECT_EQ(state.look.colours, ColourScheme::Sides);
    state.look.image = std::make_shared<Picture>(Picture{2, 1, std::vector<unsigned char>(8, 255)});
    applyView(showing, state);
    EXPECT_EQ(state.look.colours, ColourScheme::Image);
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
