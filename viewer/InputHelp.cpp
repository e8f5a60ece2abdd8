#include "viewer/InputHelp.h"

#include "viewer/Commands.h"

namespace {
const char* labelOf(int menuId)
{
    for (const MenuEntry& entry : menuEntries)
        if (entry.id == menuId)
            return entry.label;
    return "";
}

void addLine(std::string& out, const std::string& key, int menuId)
{
    out += key;
    out += '\t';
    out += labelOf(menuId);
    out += '\n';
}

// Names of the special keys the desktop's window system reports.
const char* specialKeyName(int code)
{
    static const char* const functionKeys[] = {"F1", "F2", "F3", "F4", "F5", "F6",
                                              "F7", "F8", "F9", "F10", "F11", "F12"};
    static const char* const others[] = {"Left arrow", "Up arrow", "Right arrow", "Down arrow", "Page Up",
                                         "Page Down", "Home", "End", "Insert"};
    if (code >= 1 && code <= 12)
        return functionKeys[code - 1];
    if (code >= 100 && code <= 108)
        return others[code - 100];
    return nullptr;
}
}

std::string describeKeys()
{
    std::string out;
    for (int key = 0; key < 256; ++key) {
        const KeyBinding binding = keyBinding(static_cast<unsigned char>(key));
        if (binding.kind != KeyBinding::Command)
            continue;
        const std::string name = key == ' ' ? "Space" : key == 27 ? "Esc" : std::string(1, static_cast<char>(key));
        addLine(out, name, binding.menuId);
    }
    for (int code = 1; code <= 108; ++code) {
        const char* name = specialKeyName(code);
        const KeyBinding binding = specialKeyBinding(code);
        if (name && binding.kind == KeyBinding::Command)
            addLine(out, name, binding.menuId);
    }
    return out;
}

std::string describeDrags()
{
    // The branches of mouseDrag, in its order.
    return "Left drag\tscrub the time: right forward, left back, delta_t per pixel\n"
           "Alt + left drag\torbit the camera about the target\n"
           "Alt + middle drag\tpan\n"
           "Alt + left + middle drag\tdolly: right or up moves closer\n"
           "Shift + left drag\tpan: the scene follows the pointer\n"
           "Shift + Alt + left drag\tdolly: right or up moves away\n"
           "Ctrl + left drag\talpha (blending intensity), 0.005 per pixel\n"
           "Shift + Ctrl + left drag\tstereo eye separation, 0.002 per pixel\n"
           "Right button\tthe menu of all commands\n";
}
