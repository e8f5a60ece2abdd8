// Animation ticks, mouse gestures and window sizes as state transitions.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "viewer/AppState.h"
#include "viewer/CommandLine.h"
#include "viewer/SurfaceOptions.h"
#include "viewer/Interaction.h"
#include "camera/Camera.h"

namespace {
constexpr int shift = 1, ctrl = 2, alt = 4;
constexpr int left = 0, middle = 1;

// One animation tick followed by the frame it asks for (the frame's rebuild
// is what clamps t onto 0 and 1).
bool tickAndDraw(AppState& state)
{
    const bool running = timerTick(state);
    if (state.mesh.dirty)
        state.mesh.rebuild(state.halfStrips);
    return running;
}

void drag(AppState& state, int modifiers, int buttons, int x0, int y0, int x1, int y1)
{
    if (buttons & 1)
        mouseButton(state, left, 1, x0, y0, modifiers);
    if (buttons & 2)
        mouseButton(state, middle, 1, x0, y0, modifiers);
    // Several motion events, as a real drag delivers them.
    for (int i = 1; i <= 4; ++i)
        mouseDrag(state, x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
    if (buttons & 1)
        mouseButton(state, left, 0, x1, y1, modifiers);
    if (buttons & 2)
        mouseButton(state, middle, 0, x1, y1, modifiers);
}

struct WithCamera : testing::Test {
    Camera camera{512, 512, 2.0f, Vector3(0, 0, 0, 1)};
    AppState state;
    void SetUp() override { state.camera = &camera; }
};
}

TEST(Timer, ChainStartsOnceAndEndsAtTheFirstIdleTick)
{
    AppState state;
    EXPECT_FALSE(timerShouldStart(state));  // nothing to animate
    state.animateEversion = true;
    EXPECT_TRUE(timerShouldStart(state));
    EXPECT_TRUE(state.timerRunning);
    EXPECT_FALSE(timerShouldStart(state));  // one pending tick at most

    // Off and on again before the tick: the pending chain carries on.
    state.animateEversion = false;
    state.animateEversion = true;
    EXPECT_TRUE(timerTick(state));
    EXPECT_TRUE(state.timerRunning);

    state.animateEversion = false;
    EXPECT_FALSE(timerTick(state));
    EXPECT_FALSE(state.timerRunning);
    EXPECT_EQ(state.mesh.t, 1.0 / 256);  // the idle tick changed nothing
    state.animateRotation = true;
    EXPECT_TRUE(timerShouldStart(state));  // a new chain starts at once
}

TEST(Timer, EversionReachesOneRestsAndComesBack)
{
    AppState state;
    state.animateEversion = true;
    for (int tick = 1; tick <= 256; ++tick)
        ASSERT_TRUE(tickAndDraw(state));
    EXPECT_EQ(state.mesh.t, 1.0);
    EXPECT_FALSE(state.eversionReversing);
    tickAndDraw(state);  // the tick that turns the direction
    EXPECT_EQ(state.mesh.t, 1.0);
    EXPECT_TRUE(state.eversionReversing);
    tickAndDraw(state);
    EXPECT_EQ(state.mesh.t, 1.0 - 1.0 / 256);
    for (int tick = 0; tick < 255; ++tick)
        tickAndDraw(state);
    EXPECT_EQ(state.mesh.t, 0.0);
    tickAndDraw(state);
    EXPECT_FALSE(state.eversionReversing);
    tickAndDraw(state);
    EXPECT_EQ(state.mesh.t, 1.0 / 256);
}

TEST(Timer, OvershootIsClampedAndReverses)
{
    AppState state;
    state.animateEversion = true;
    state.mesh.t = 1 - 3.0 / 256;
    state.deltaT = 4.0 / 256;  // doubled mid-animation: the next step passes 1
    tickAndDraw(state);
    EXPECT_EQ(state.mesh.t, 1.0);
    tickAndDraw(state);
    EXPECT_TRUE(state.eversionReversing);
}

// What is prepared ahead is what the animation then shows: through the
// middle, onto each end with and without overshoot, the rests there and the
// turns back.
TEST(Timer, TheTimeAheadIsTheNextTimeTheAnimationShows)
{
    struct Start {
        double t;
        bool reversing;
        double deltaT;
    };
    for (const Start s : {Start{0.5, false, 1.0 / 256}, Start{1 - 1.0 / 256, false, 1.0 / 256},
                          Start{0.999, false, 1.0 / 256}, Start{1, false, 1.0 / 256}, Start{1, true, 1.0 / 256},
                          Start{0.3, true, 0.25}, Start{0, true, 1.0 / 64}, Start{0, false, 1.0 / 64}}) {
        AppState state;
        state.animateEversion = true;
        state.mesh.t = s.t;
        state.eversionReversing = s.reversing;
        state.deltaT = s.deltaT;
        for (int step = 0; step < 6; ++step) {
            const double ahead = eversionTimeAhead(state);
            const double before = state.mesh.t;
            do
                tickAndDraw(state);
            while (state.mesh.t == before);
            EXPECT_EQ(state.mesh.t, ahead) << "from t " << s.t << ", step " << step;
        }
    }
}

TEST(Timer, PlainLeftDragPausesTheEversion)
{
    AppState state;
    state.animateEversion = true;
    mouseButton(state, left, 1, 10, 10, 0);
    tickAndDraw(state);
    EXPECT_EQ(state.mesh.t, 0.0);
    mouseButton(state, left, 1, 10, 10, ctrl);  // not a plain drag any more
    tickAndDraw(state);
    EXPECT_EQ(state.mesh.t, 1.0 / 256);
}

TEST_F(WithCamera, RotationTurnsByTheHalfPixelOrbitUnlessOrbitingByHand)
{
    state.animateRotation = true;
    Camera expected = camera;
    expected.orbit(256, 256, 256.5f, 256.5f);
    tickAndDraw(state);
    EXPECT_EQ(camera.eye.x, expected.eye.x);
    EXPECT_EQ(camera.eye.y, expected.eye.y);
    EXPECT_EQ(camera.eye.z, expected.eye.z);
    EXPECT_EQ(state.mesh.t, 0.0);  // the eversion is not animated

    mouseButton(state, left, 1, 10, 10, alt);
    tickAndDraw(state);
    EXPECT_EQ(camera.eye.x, expected.eye.x);  // paused during the orbit drag
}

TEST(Mouse, PlainHorizontalDragScrubsTimeByDeltaTPerPixel)
{
    AppState state;
    drag(state, 0, 1, 100, 100, 140, 100);
    EXPECT_EQ(state.mesh.t, 40.0 / 256);
    drag(state, 0, 1, 140, 100, 130, 300);
    EXPECT_EQ(state.mesh.t, 30.0 / 256);
    state.mesh.rebuild(false);
    drag(state, 0, 1, 130, 100, 130, 0);  // vertical only: t stays, but a rebuild is due
    EXPECT_EQ(state.mesh.t, 30.0 / 256);
    EXPECT_TRUE(state.mesh.dirty);
    EXPECT_EQ(state.lastMouseX, 130);
    EXPECT_EQ(state.lastMouseY, 0);
}

TEST(Mouse, CtrlDragTunesAlphaWithinZeroAndOne)
{
    AppState state;
    drag(state, ctrl, 1, 0, 0, 200, 0);
    EXPECT_EQ(state.alpha, 1.0f);
    drag(state, ctrl, 1, 200, 0, 100, 0);
    EXPECT_NEAR(state.alpha, 0.5f, 1e-6);
    drag(state, ctrl, 1, 100, 0, -300, 0);
    EXPECT_EQ(state.alpha, 0.0f);
    drag(state, ctrl | alt, 0, 0, 0, 300, 0);  // no button that counts
    EXPECT_EQ(state.alpha, 0.0f);
}

TEST(Mouse, ShiftCtrlDragMovesTheEyeSeparationWithoutBounds)
{
    AppState state;
    drag(state, shift | ctrl, 1, 0, 0, 100, 37);
    EXPECT_NEAR(state.stereoDistance, 0.1 + 0.2, 1e-6);
    drag(state, shift | ctrl, 1, 100, 0, -200, 0);
    EXPECT_NEAR(state.stereoDistance, 0.3 - 0.6, 1e-6);  // negative swaps the eyes
    EXPECT_EQ(state.mesh.t, 0.0);
}

TEST_F(WithCamera, ModifierDragsMoveTheCamera)
{
    const Vector3 home = camera.eye;
    drag(state, alt, 1, 100, 100, 120, 100);  // orbit about the vertical
    EXPECT_LT(camera.eye.x, home.x - 0.1f);
    camera.resetView();

    drag(state, shift, 1, 100, 100, 120, 100);  // pan: camera moves left
    EXPECT_LT(camera.eye.x, 0);
    EXPECT_LT(camera.target.x, 0);
    camera.resetView();

    drag(state, alt, 2, 100, 100, 120, 100);  // middle with alt pans too
    EXPECT_LT(camera.target.x, 0);
    camera.resetView();

    drag(state, alt, 3, 100, 100, 120, 100);  // left + middle with alt dollies in
    EXPECT_LT(camera.eye.z, home.z);
    camera.resetView();

    drag(state, shift | alt, 1, 100, 100, 120, 100);  // shift + alt dollies out
    EXPECT_GT(camera.eye.z, home.z);
    EXPECT_EQ(state.mesh.t, 0.0);
}

TEST_F(WithCamera, ReshapeSplitsStereoAndSurvivesTinyWindows)
{
    EXPECT_TRUE(reshapeViews(state, 301, 200));
    EXPECT_EQ(camera.windowWidth, 301);
    state.stereo = true;
    EXPECT_TRUE(reshapeViews(state, 301, 200));
    EXPECT_EQ(camera.windowWidth, 150);  // odd widths truncate
    EXPECT_EQ(camera.viewportRight, 149);

    for (auto [w, h] : {std::pair{3, 200}, {1, 1}, {0, 0}, {300, 1}}) {
        EXPECT_FALSE(reshapeViews(state, w, h));
        EXPECT_EQ(state.savedWindowWidth, w);
        EXPECT_EQ(camera.windowWidth, 150);  // the last valid viewport stays
    }
    state.stereo = false;
    EXPECT_TRUE(reshapeViews(state, 2, 2));
    EXPECT_EQ(camera.viewportRadius, 1.0f);
}

TEST(Reshape, BeforeTheCameraExistsOnlyTheSizeIsRecorded)
{
    AppState state;
    EXPECT_FALSE(reshapeViews(state, 640, 480));
    EXPECT_EQ(state.savedWindowWidth, 640);
    EXPECT_EQ(state.savedWindowHeight, 480);
}

namespace {
struct Parsed {
    bool run;
    AppState state;
    std::string out, err;
};

void parse(Parsed& p, std::initializer_list<const char*> words)
{
    std::vector<char*> argv;
    for (const char* w : words)
        argv.push_back(const_cast<char*>(w));
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    p.run = parseCommandLine(static_cast<int>(argv.size()), argv.data(), p.state, out, err);
    for (auto [file, text] : {std::pair{out, &p.out}, {err, &p.err}}) {
        std::rewind(file);
        char buffer[4096];
        size_t n = std::fread(buffer, 1, sizeof buffer, file);
        text->assign(buffer, n);
        std::fclose(file);
    }
}
}

TEST(CommandLine, FlagsAndStereoDistances)
{
    Parsed none;
    parse(none, {"vv"});
    EXPECT_TRUE(none.run);
    EXPECT_EQ(none.out, "");
    EXPECT_FALSE(none.state.stereo);

    Parsed s;
    parse(s, {"vv", "-s"});
    EXPECT_TRUE(s.state.stereo);
    EXPECT_EQ(s.out, "Using stereo distance of 0.100000\n");

    Parsed quarter;
    parse(quarter, {"vv", "--stereo", "0.25"});
    EXPECT_EQ(quarter.out, "Using stereo distance of 0.250000\n");

    Parsed root;
    parse(root, {"vv", "-s", "-r"});
    EXPECT_EQ(root.out, "Using stereo distance of 0.100000\n");
    EXPECT_TRUE(root.state.animateEversion && root.state.animateRotation);
    EXPECT_FALSE(root.state.showText || root.state.showWorldAxes);

    Parsed word;
    parse(word, {"vv", "-s", "foo"});
    EXPECT_EQ(word.state.stereoDistance, 0.0f);
    Parsed twice;
    parse(twice, {"vv", "-s", "-s"});  // the second -s is taken as the distance
    EXPECT_EQ(twice.state.stereoDistance, 0.0f);

    Parsed ignored;
    parse(ignored, {"vv", "--stereo=0.2", "-R", "x"});
    EXPECT_TRUE(ignored.run);
    EXPECT_FALSE(ignored.state.stereo);
    EXPECT_EQ(ignored.out + ignored.err, "");
}

TEST(CommandLine, HelpStopsAtOnceAfterEarlierFlags)
{
    Parsed help;
    parse(help, {"./viewer", "-r", "-h", "-s"});
    EXPECT_FALSE(help.run);
    EXPECT_TRUE(help.state.animateEversion);  // -r came first
    EXPECT_FALSE(help.state.stereo);          // nothing after -h is read
    EXPECT_EQ(help.err, std::string("\nUsage: ./viewer [--help] [--root] [--stereo [stereo_distance]]\n\n") +
                            "The eversion:\n" + surfaceUsage + seamFreeUsage + "\nShowing where each point of the sphere started:\n" + lookUsage + "\n");
    EXPECT_EQ(help.out, "");
}

TEST(CommandLine, VersionPrintsOnStandardOutputAndStops)
{
    Parsed version;
    parse(version, {"./viewer", "-r", "--version", "-s"});
    EXPECT_FALSE(version.run);
    EXPECT_TRUE(version.state.animateEversion);  // -r came first
    EXPECT_FALSE(version.state.stereo);          // nothing after it is read
    EXPECT_EQ(version.out, std::string("vedoze-vaderuve ") + VV_VERSION + "\n");
    EXPECT_EQ(version.err, "");

    // After -s it is the option, not the stereo distance.
    Parsed stereo;
    parse(stereo, {"vv", "-s", "--version"});
    EXPECT_FALSE(stereo.run);
    EXPECT_EQ(stereo.state.stereoDistance, 0.1f);
    EXPECT_EQ(stereo.out, std::string("vedoze-vaderuve ") + VV_VERSION + "\n");

    // Only the whole word counts.
    Parsed near;
    parse(near, {"vv", "-v", "--Version", "--version=1", "-version"});
    EXPECT_TRUE(near.run);
    EXPECT_EQ(near.out + near.err, "");
}
