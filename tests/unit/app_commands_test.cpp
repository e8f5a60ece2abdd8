// Command transitions as the menu, keys and special keys drive them.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "viewer/AppState.h"
#include "viewer/Commands.h"

namespace {
// Presses a plain key the way the keyboard callback does.
CommandResult press(AppState& state, unsigned char key)
{
    const KeyBinding binding = keyBinding(key);
    EXPECT_EQ(binding.kind, KeyBinding::Command) << "key " << int(key);
    return applyCommand(state, binding.menuId);
}

CommandResult pressSpecial(AppState& state, int key)
{
    const KeyBinding binding = specialKeyBinding(key);
    EXPECT_EQ(binding.kind, KeyBinding::Command) << "special key " << key;
    return applyCommand(state, binding.menuId);
}

constexpr int keyF2 = 2, keyLeft = 100, keyUp = 101, keyRight = 102, keyDown = 103, keyPageUp = 104,
              keyPageDown = 105, keyHome = 106, keyEnd = 107;
}

TEST(Commands, MenuHasTwentySevenDistinctEntriesEachNamingItsKey)
{
    std::set<int> ids;
    for (const MenuEntry& entry : menuEntries) {
        ids.insert(entry.id);
        AppState state;
        EXPECT_TRUE(applyCommand(state, entry.id).known) << entry.label;
        EXPECT_EQ(std::string(entry.label).back(), ')') << entry.label;
    }
    EXPECT_EQ(ids.size(), 27u);
    EXPECT_STREQ(menuEntries[0].label, "Cycle Display Mode (space)");
    EXPECT_EQ(menuEntries[26].id, 81);
    EXPECT_STREQ(menuEntries[26].label, "Quit (Esc)");
}

TEST(Commands, DeltaTDoublesToOneAndHalvesToOneOver8192)
{
    AppState state;
    for (int i = 0; i < 8; ++i)
        press(state, '*');
    EXPECT_EQ(state.deltaT, 1.0);
    press(state, '*');
    EXPECT_EQ(state.deltaT, 1.0);

    AppState fine;
    for (int i = 0; i < 5; ++i)
        press(fine, '/');
    EXPECT_EQ(fine.deltaT, 1.0 / 8192);
    press(fine, '/');
    EXPECT_EQ(fine.deltaT, 1.0 / 8192);
}

TEST(Commands, TimeStepsStopAtTheEndsAfterTheRebuildClamps)
{
    AppState state;
    EXPECT_TRUE(pressSpecial(state, keyLeft).redraw);
    EXPECT_EQ(state.mesh.t, 0.0);  // decreaseTime does nothing at 0
    state.deltaT = 1;
    pressSpecial(state, keyRight);
    EXPECT_EQ(state.mesh.t, 1.0);
    EXPECT_TRUE(state.mesh.dirty);
    press(state, '+');
    EXPECT_EQ(state.mesh.t, 1.0);  // t = 1 blocks further increases
    press(state, '-');
    EXPECT_EQ(state.mesh.t, 0.0);
}

TEST(Commands, StripLimits)
{
    AppState state;
    SurfaceMesh& mesh = state.mesh;
    pressSpecial(state, keyUp);
    EXPECT_EQ(mesh.stripsShown, 8);  // all shown already
    for (int i = 0; i < 10; ++i)
        pressSpecial(state, keyDown);
    EXPECT_EQ(mesh.stripsShown, 1);
    pressSpecial(state, keyPageDown);
    EXPECT_EQ(mesh.totalStrips, 7);
    EXPECT_EQ(mesh.stripsShown, 1);
    for (int i = 0; i < 10; ++i)
        pressSpecial(state, keyPageDown);
    EXPECT_EQ(mesh.totalStrips, 1);
    EXPECT_EQ(mesh.stripsShown, 1);
    pressSpecial(state, keyPageUp);
    EXPECT_EQ(mesh.totalStrips, 2);
    EXPECT_EQ(mesh.stripsShown, 2);  // a new strip is shown at once
}

TEST(Commands, PatchCountsComeBackToTwoAtTheNextRebuild)
{
    AppState state;
    for (int i = 0; i < 12; ++i)
        pressSpecial(state, keyF2);
    EXPECT_EQ(state.mesh.latitudinalPatches, 0);
    EXPECT_EQ(state.mesh.grid, nullptr);
    state.mesh.rebuild(state.halfStrips);
    EXPECT_EQ(state.mesh.latitudinalPatches, 2);
    EXPECT_EQ(state.mesh.gridRows(), 3);
    EXPECT_EQ(state.mesh.gridColumns(), 13);
}

TEST(Commands, HemispheresHalfStripsAndDisplayModes)
{
    AppState state;
    state.mesh.rebuild(false);
    pressSpecial(state, keyEnd);
    EXPECT_EQ(state.mesh.hemispheres, 1);
    EXPECT_NE(state.mesh.grid, nullptr);  // the grid stays valid
    pressSpecial(state, keyEnd);
    EXPECT_EQ(state.mesh.hemispheres, 2);

    pressSpecial(state, keyHome);
    EXPECT_TRUE(state.halfStrips);
    EXPECT_TRUE(state.mesh.dirty);
    EXPECT_EQ(state.mesh.grid, nullptr);

    const int cycle[] = {3, 4, 0, 1, 2};
    for (int mode : cycle) {
        press(state, ' ');
        EXPECT_EQ(state.displayMode, mode);
    }
}

TEST(Commands, TogglesAndTheirSideEffects)
{
    AppState state;
    press(state, 's');
    press(state, 'a');
    press(state, 'b');
    press(state, 'f');
    press(state, 'w');
    press(state, 't');
    EXPECT_FALSE(state.smoothShading);
    EXPECT_TRUE(state.alphaBlending);
    EXPECT_TRUE(state.cullingEnabled);
    EXPECT_FALSE(state.cullBackFaces);
    EXPECT_TRUE(state.showWorldAxes);
    EXPECT_TRUE(state.showCameraTarget);
    EXPECT_FALSE(pressSpecial(state, 9).startTimer);
    EXPECT_FALSE(state.showText);

    const CommandResult eversion = pressSpecial(state, 5);
    EXPECT_TRUE(state.animateEversion);
    EXPECT_TRUE(eversion.startTimer);
    EXPECT_FALSE(eversion.redraw);
    EXPECT_TRUE(pressSpecial(state, 6).startTimer);
    EXPECT_TRUE(state.animateRotation);

    const CommandResult stereo = pressSpecial(state, 7);
    EXPECT_TRUE(state.stereo);
    EXPECT_TRUE(stereo.reshape);
    EXPECT_TRUE(stereo.redraw);

    const CommandResult quit = press(state, 27);
    EXPECT_TRUE(quit.quit);
}

TEST(Commands, UnboundInputIsReportedNotActedOn)
{
    AppState state;
    EXPECT_EQ(keyBinding('R').kind, KeyBinding::Unbound);  // keys are case-sensitive
    EXPECT_EQ(keyBinding('S').kind, KeyBinding::Unbound);
    EXPECT_EQ(keyBinding('9').kind, KeyBinding::Unbound);
    EXPECT_EQ(keyBinding(0).kind, KeyBinding::Unbound);
    EXPECT_EQ(keyBinding(255).kind, KeyBinding::Unbound);
    for (unsigned char key = '1'; key <= '8'; ++key)
        EXPECT_EQ(keyBinding(key).kind, KeyBinding::RedrawOnly);
    for (int key : {8, 10, 11, 12, 108, 112, 117})
        EXPECT_EQ(specialKeyBinding(key).kind, KeyBinding::Unbound) << key;
    for (int id : {0, 10, 16, 82, -1}) {
        const CommandResult result = applyCommand(state, id);
        EXPECT_FALSE(result.known);
        EXPECT_FALSE(result.redraw);
    }
}

TEST(Commands, AppendedEntriesCycleTheOriginLookAndNoKeyReachesThem)
{
    AppState state;
    std::set<int> ids;
    for (const MenuEntry& entry : menuEntries)
        ids.insert(entry.id);
    for (const MenuEntry& entry : addedMenuEntries)
        EXPECT_TRUE(ids.insert(entry.id).second) << entry.label;
    for (int key = 0; key < 256; ++key) {
        const KeyBinding binding = keyBinding(static_cast<unsigned char>(key));
        if (binding.kind == KeyBinding::Command) {
            EXPECT_LT(binding.menuId, addedMenuEntries[0].id);
        }
    }

    // Colours: sides -> latitude -> longitude -> sides while no picture was
    // read; each step renews the texture's revision.
    long revision = state.look.revision;
    for (const ColourScheme next : {ColourScheme::Latitude, ColourScheme::Longitude, ColourScheme::Sides}) {
        EXPECT_TRUE(applyCommand(state, addedMenuEntries[0].id).redraw);
        EXPECT_EQ(state.look.colours, next);
        EXPECT_NE(state.look.revision, revision);
        revision = state.look.revision;
    }
    state.look.image = std::make_shared<Picture>();
    applyCommand(state, addedMenuEntries[0].id);
    applyCommand(state, addedMenuEntries[0].id);
    applyCommand(state, addedMenuEntries[0].id);
    EXPECT_EQ(state.look.colours, ColourScheme::Image);

    // Bands: none -> latitude -> longitude -> none, keeping the count.
    state.look.bandCount = 5;
    for (const BandKind next : {BandKind::Latitude, BandKind::Longitude, BandKind::None}) {
        applyCommand(state, addedMenuEntries[1].id);
        EXPECT_EQ(state.look.bands, next);
        EXPECT_EQ(state.look.bandCount, 5);
    }

    // The graticule comes back at the spacing it had; 15 degrees at first.
    applyCommand(state, addedMenuEntries[2].id);
    EXPECT_EQ(state.look.graticuleDegrees, 15);
    state.look.graticuleDegrees = 20;
    applyCommand(state, addedMenuEntries[2].id);
    EXPECT_EQ(state.look.graticuleDegrees, 0);
    applyCommand(state, addedMenuEntries[2].id);
    EXPECT_EQ(state.look.graticuleDegrees, 20);

    applyCommand(state, addedMenuEntries[3].id);
    EXPECT_TRUE(state.orthographic);
    applyCommand(state, addedMenuEntries[3].id);
    EXPECT_FALSE(state.orthographic);
}

// With the ruled method the strip keys change the lobes (2 to 5) and the
// lunes shown, leaving the strips of the other method as they were.
TEST(Commands, StripKeysChangeTheLobesOfTheRuledMethod)
{
    AppState state;
    applyCommand(state, 95);
    ASSERT_EQ(state.mesh.method, EversionMethod::Ruled);
    struct Step {
        int key;
        int lobes, lunes;
    };
    const Step steps[] = {{keyPageUp, 3, 3},   {keyPageUp, 4, 4},   {keyPageUp, 5, 5},  {keyPageUp, 5, 5},
                          {keyDown, 5, 4},     {keyDown, 5, 3},     {keyPageDown, 4, 2}, {keyUp, 4, 3},
                          {keyUp, 4, 4},       {keyUp, 4, 4},       {keyPageDown, 3, 3}, {keyPageDown, 2, 2},
                          {keyPageDown, 2, 2}, {keyDown, 2, 1},     {keyDown, 2, 1}};
    for (const Step& step : steps) {
        pressSpecial(state, step.key);
        EXPECT_EQ(state.mesh.lobes, step.lobes) << "key " << step.key;
        EXPECT_EQ(state.mesh.lunesShown, step.lunes) << "key " << step.key;
    }
    EXPECT_EQ(state.mesh.totalStrips, 8);
    EXPECT_EQ(state.mesh.stripsShown, 8);
    applyCommand(state, 95);
    EXPECT_EQ(state.mesh.method, EversionMethod::Corrugations);
    EXPECT_TRUE(state.mesh.dirty);
}
