#pragma once
// What the keys and mouse drags do, in words, for a front end's help: every
// key and special key the viewer binds, read from the same bindings the input
// code uses (so an unbound key never appears), and the drags the gesture code
// knows. Pure; allocates only the returned text.
#include <string>

// One line per bound key: the key's name, a tab, the menu label of its
// command ("F5\tToggle Animated Eversion (F5)"); keys that only redraw are
// left out. Character keys first, in code order, then special keys.
std::string describeKeys();

// One line per mouse drag: buttons and modifiers, a tab, the effect.
std::string describeDrags();
