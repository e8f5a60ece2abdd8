#pragma once
// The user's commands as state transitions. The menu, the keyboard and the
// special keys share one set of actions, identified by their menu ids; the
// front ends only translate input into ids and carry out the result
// (messages, redraw, timer, reshape, exit).
struct AppState;

struct MenuEntry {
    int id;
    const char* label;
};
constexpr int menuEntryCount = 27;
extern const MenuEntry menuEntries[menuEntryCount];
// Appended after those: the origin look (colours, bands, graticule), the
// orthographic view, the eversion's method and the double curves. No key is
// bound to them.
constexpr int addedMenuEntryCount = 6;
extern const MenuEntry addedMenuEntries[addedMenuEntryCount];

// What the caller must do after a command changed the state.
struct CommandResult {
    bool known = true;        // false: an id that no command has
    bool redraw = false;
    bool startTimer = false;  // an animation was toggled: start the chain if idle
    bool reshape = false;     // stereo was toggled: lay the views out again
    bool quit = false;        // end the process with status 0
};

CommandResult applyCommand(AppState& state, int menuId);

// How a key is bound: to a command, to a plain redraw, or not at all.
struct KeyBinding {
    enum Kind { Unbound, RedrawOnly, Command } kind;
    int menuId;
};
KeyBinding keyBinding(unsigned char key);
KeyBinding specialKeyBinding(int key);

// The smallest time step, 1/8192.
constexpr double minimumDeltaT = 0.0001220703125;
