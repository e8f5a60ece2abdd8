#pragma once
// The GLUT callbacks of the viewer. Each one hands its input to a state
// transition on the global `appState` and then asks GLUT for what follows
// (a redraw, a timer, an exit); none of them draws except onDisplay.
void onDisplay();
void onReshape(int width, int height);
void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onMenu(int id);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onPassiveMotion(int x, int y);
void onTimer(int value);
// Arms the timer chain when an animation is on and no tick is pending.
void startTimerIfNeeded();
