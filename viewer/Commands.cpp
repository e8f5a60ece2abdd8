#include "viewer/Commands.h"

#include "viewer/AppState.h"
#include "camera/Camera.h"

const MenuEntry menuEntries[menuEntryCount] = {
    {11, "Cycle Display Mode (space)"},
    {12, "Toggle Smooth Shading (s)"},
    {13, "Toggle Alpha Blending (a)"},
    {14, "Toggle Backface Culling (b)"},
    {15, "Toggle Which Faces Are Front-Facing (f)"},
    {21, "Toggle Display of World Space Axes (w)"},
    {22, "Toggle Display of Camera Target (t)"},
    {23, "Toggle Display of Text (F9)"},
    {31, "Increment Time t (+ or right arrow)"},
    {32, "Decrement Time t (- or left arrow)"},
    {33, "Double Time Step delta_t (*)"},
    {34, "Halve Time Step delta_t (/)"},
    {41, "Increment Total Number of Strips (page up)"},
    {42, "Decrement Total Number of Strips (page down)"},
    {43, "Increment Number of Strips Displayed (up arrow)"},
    {44, "Decrement Number of Strips Displayed (down arrow)"},
    {45, "Toggle Display of One Hemisphere (end)"},
    {46, "Toggle Display of Half-strips (home)"},
    {51, "Increment Number of Latitudinal Patches (F1)"},
    {52, "Decrement Number of Latitudinal Patches (F2)"},
    {53, "Increment Number of Longitudinal Patches (F3)"},
    {54, "Decrement Number of Longitudinal Patches (F4)"},
    {61, "Toggle Animated Eversion (F5)"},
    {62, "Toggle Animated Rotation (F6)"},
    {63, "Toggle Stereo Display (F7)"},
    {71, "Reset Camera (r)"},
    {81, "Quit (Esc)"},
};

const MenuEntry addedMenuEntries[addedMenuEntryCount] = {
    {91, "Cycle Colours by Origin (sides, latitude, longitude, image)"},
    {92, "Cycle See-through Bands (none, latitude, longitude)"},
    {93, "Toggle Graticule"},
    {94, "Toggle Orthographic View"},
    {95, "Switch Eversion Method (corrugations, ruled)"},
    {96, "Toggle Double Curves"},
};

CommandResult applyCommand(AppState& state, int menuId)
{
    SurfaceMesh& mesh = state.mesh;
    CommandResult result;
    result.redraw = true;
    switch (menuId) {
    case 11: state.displayMode = (state.displayMode + 1) % 5; break;
    case 12: state.smoothShading = !state.smoothShading; break;
    case 13: state.alphaBlending = !state.alphaBlending; break;
    case 14: state.cullingEnabled = !state.cullingEnabled; break;
    case 15: state.cullBackFaces = !state.cullBackFaces; break;
    case 21: state.showWorldAxes = !state.showWorldAxes; break;
    case 22: state.showCameraTarget = !state.showCameraTarget; break;
    case 23: state.showText = !state.showText; break;
    case 31: mesh.increaseTime(state.deltaT); break;
    case 32: mesh.decreaseTime(state.deltaT); break;
    case 33:
        state.deltaT *= 2;
        if (state.deltaT > 1)
            state.deltaT = 1;
        break;
    case 34:
        if (state.deltaT / 2 >= minimumDeltaT)
            state.deltaT /= 2;
        break;
    case 41: mesh.addStrip(); break;
    case 42: mesh.removeStrip(); break;
    case 43: mesh.showMoreStrips(); break;
    case 44: mesh.showFewerStrips(); break;
    case 45: mesh.toggleHemispheres(); break;
    case 46:
        state.halfStrips = !state.halfStrips;
        mesh.freeGrid();
        mesh.dirty = true;
        break;
    case 51: mesh.addLatitudinalPatch(); break;
    case 52:
        // No lower check here: the next rebuild raises the count back to 2.
        mesh.freeGrid();
        --mesh.latitudinalPatches;
        mesh.dirty = true;
        break;
    case 53: mesh.addLongitudinalPatch(); break;
    case 54:
        mesh.freeGrid();
        --mesh.longitudinalPatches;
        mesh.dirty = true;
        break;
    case 61:
        state.animateEversion = !state.animateEversion;
        result.redraw = false;
        result.startTimer = true;
        break;
    case 62:
        state.animateRotation = !state.animateRotation;
        result.redraw = false;
        result.startTimer = true;
        break;
    case 63:
        state.stereo = !state.stereo;
        result.reshape = true;
        break;
    case 71:
        if (state.camera)
            state.camera->resetView();
        break;
    case 81:
        result.redraw = false;
        result.quit = true;
        break;
    case 91: {
        OriginLook& look = state.look;
        switch (look.colours) {
        case ColourScheme::Sides: look.colours = ColourScheme::Latitude; break;
        case ColourScheme::Latitude: look.colours = ColourScheme::Longitude; break;
        // The picture joins the cycle once one was given and read.
        case ColourScheme::Longitude: look.colours = look.image ? ColourScheme::Image : ColourScheme::Sides; break;
        case ColourScheme::Image: look.colours = ColourScheme::Sides; break;
        }
        look.touch();
        break;
    }
    case 92:
        state.look.bands = state.look.bands == BandKind::None       ? BandKind::Latitude
                           : state.look.bands == BandKind::Latitude ? BandKind::Longitude
                                                                    : BandKind::None;
        state.look.touch();
        break;
    case 93:
        if (state.look.graticuleDegrees > 0) {
            state.look.lastGraticuleDegrees = state.look.graticuleDegrees;
            state.look.graticuleDegrees = 0;
        } else {
            state.look.graticuleDegrees = state.look.lastGraticuleDegrees;
        }
        break;
    case 94: state.orthographic = !state.orthographic; break;
    case 95:
        mesh.setMethod(mesh.method == EversionMethod::Ruled ? EversionMethod::Corrugations : EversionMethod::Ruled);
        break;
    case 96: state.doubleCurves = !state.doubleCurves; break;
    default:
        result.known = false;
        result.redraw = false;
        break;
    }
    return result;
}

KeyBinding keyBinding(unsigned char key)
{
    switch (key) {
    case ' ': return {KeyBinding::Command, 11};
    case 's': return {KeyBinding::Command, 12};
    case 'a': return {KeyBinding::Command, 13};
    case 'b': return {KeyBinding::Command, 14};
    case 'f': return {KeyBinding::Command, 15};
    case 'w': return {KeyBinding::Command, 21};
    case 't': return {KeyBinding::Command, 22};
    case '+': return {KeyBinding::Command, 31};
    case '-': return {KeyBinding::Command, 32};
    case '*': return {KeyBinding::Command, 33};
    case '/': return {KeyBinding::Command, 34};
    case 'r': return {KeyBinding::Command, 71};
    case 27: return {KeyBinding::Command, 81};
    default:
        if (key >= '1' && key <= '8')
            return {KeyBinding::RedrawOnly, 0};
        return {KeyBinding::Unbound, 0};
    }
}

// GLUT special-key codes: F1..F12 are 1..12, the arrows 100..103 (left, up,
// right, down), page up/down 104/105, home 106, end 107.
KeyBinding specialKeyBinding(int key)
{
    switch (key) {
    case 1: return {KeyBinding::Command, 51};
    case 2: return {KeyBinding::Command, 52};
    case 3: return {KeyBinding::Command, 53};
    case 4: return {KeyBinding::Command, 54};
    case 5: return {KeyBinding::Command, 61};
    case 6: return {KeyBinding::Command, 62};
    case 7: return {KeyBinding::Command, 63};
    case 9: return {KeyBinding::Command, 23};
    case 100: return {KeyBinding::Command, 32};
    case 101: return {KeyBinding::Command, 43};
    case 102: return {KeyBinding::Command, 31};
    case 103: return {KeyBinding::Command, 44};
    case 104: return {KeyBinding::Command, 41};
    case 105: return {KeyBinding::Command, 42};
    case 106: return {KeyBinding::Command, 46};
    case 107: return {KeyBinding::Command, 45};
    default: return {KeyBinding::Unbound, 0};
    }
}
