// The viewer's entry point: reads the command line, opens the window, wires
// the callbacks and the pop-up menu, creates the camera and hands control to
// GLUT. The process ends only through exit().
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Callbacks.h"
#include "camera/Camera.h"
#include "curves/SearchMemory.h"
#include "draw/CameraGL.h"
#include "draw/PictureFile.h"
#include "viewer/AppState.h"
#include "viewer/CommandLine.h"
#include "viewer/Commands.h"

int main(int argc, char** argv)
{
    bool badValue = false;
    if (!parseCommandLine(argc, argv, appState, stdout, stderr, &badValue))
        std::exit(0);
    std::string error;
    if (!badValue && !loadLookPicture(appState.look, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0] ? argv[0] : "vedoze-vaderuve", error.c_str());
        badValue = true;
    }
    // A bad value of an origin-look option: its line is out, no window.
    if (badValue)
        std::exit(2);

    keepSearchMemory();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Vedoze Vaderuve");
    const int requestedWidth = appState.stereo ? 1024 : 512;
    const int requestedHeight = 512;
    glutReshapeWindow(requestedWidth, requestedHeight);

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecialKey);
    glutMouseFunc(onMouse);
    glutPassiveMotionFunc(onPassiveMotion);
    glutMotionFunc(onMotion);

    startTimerIfNeeded();

    glutCreateMenu(onMenu);
    for (const MenuEntry& entry : menuEntries)
        glutAddMenuEntry(entry.label, entry.id);
    for (const MenuEntry& entry : addedMenuEntries)
        glutAddMenuEntry(entry.label, entry.id);
    glutAttachMenu(GLUT_RIGHT_BUTTON);

    // Until now the reshape callback has only recorded the window size. GLUT
    // reads its own window-system options from the same command line, so
    // "-geometry 1x1" can create a sliver too small for a viewport: the
    // camera then starts from the size asked for above, and the reshape that
    // follows sets whatever the window really is.
    int width = glutGet(GLUT_WINDOW_WIDTH);
    int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width < 2 || height < 2) {
        width = requestedWidth;
        height = requestedHeight;
    }
    appState.camera = new Camera(width, height, 2.0f, Vector3(0, 0, 0, 1));
    applyViewport(*appState.camera);

    glutMainLoop();
    return 0;
}
