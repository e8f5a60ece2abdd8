#include "app/Callbacks.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "draw/CameraGL.h"
#include "draw/FrameRenderer.h"
#include "viewer/AppState.h"
#include "viewer/Commands.h"
#include "viewer/Interaction.h"

namespace {
// Messages go out at once: whoever reads them (a terminal, a pipe, a test)
// sees each one as it happens, not at exit.
void report(const char* format, int value)
{
    std::printf(format, value);
    std::fflush(stdout);
}
}

void onDisplay()
{
    renderFrame(appState);
    glutSwapBuffers();
    prepareAhead(appState);
}

void onReshape(int width, int height)
{
    if (reshapeViews(appState, width, height))
        applyViewport(*appState.camera);
}

void onMenu(int id)
{
    const CommandResult result = applyCommand(appState, id);
    if (!result.known) {
        report("unknown menu item %d was selected\n", id);
        return;
    }
    if (result.quit)
        std::exit(0);
    if (result.startTimer)
        startTimerIfNeeded();
    if (result.reshape)
        onReshape(appState.savedWindowWidth, appState.savedWindowHeight);
    if (result.redraw)
        glutPostRedisplay();
}

void onKeyboard(unsigned char key, int, int)
{
    const KeyBinding binding = keyBinding(key);
    if (binding.kind == KeyBinding::Command)
        onMenu(binding.menuId);
    else if (binding.kind == KeyBinding::RedrawOnly)
        glutPostRedisplay();
    else
        report("untrapped key %d\n", key);
}

void onSpecialKey(int key, int, int)
{
    const KeyBinding binding = specialKeyBinding(key);
    if (binding.kind == KeyBinding::Command)
        onMenu(binding.menuId);
    else
        report("untrapped special key %d\n", key);
}

void onMouse(int button, int state, int x, int y)
{
    mouseButton(appState, button, state == GLUT_DOWN, x, y, glutGetModifiers());
}

void onMotion(int x, int y)
{
    mouseDrag(appState, x, y);
    glutPostRedisplay();
}

void onPassiveMotion(int x, int y)
{
    mouseHover(appState, x, y);
}

void onTimer(int)
{
    if (!timerTick(appState))
        return;
    glutPostRedisplay();
    glutTimerFunc(static_cast<unsigned>(appState.timerIntervalMs), onTimer, 0);
}

void startTimerIfNeeded()
{
    if (timerShouldStart(appState))
        glutTimerFunc(static_cast<unsigned>(appState.timerIntervalMs), onTimer, 0);
}
