#include "platform/keyboard_state.h"

#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>
#include <climits>
#include <cstddef>

namespace {

// What XQueryKeymap fills: a bit for each of the 256 key codes.
constexpr std::size_t KEYMAP_BYTES = 32;

} // namespace

void makeKeyRepeatDetectable()
{
    // The toolkit exposes no display; the context it made current has it.
    XkbSetDetectableAutoRepeat(glXGetCurrentDisplay(), True, nullptr);
}

bool f11Down()
{
    Display* const display = glXGetCurrentDisplay();
    const KeyCode code = XKeysymToKeycode(display, XK_F11);
    std::array<char, KEYMAP_BYTES> keys{};
    XQueryKeymap(display, keys.data());
    const auto byte = static_cast<unsigned char>(keys[code / CHAR_BIT]);
    return code != 0 && ((byte >> (code % CHAR_BIT)) & 1U) != 0;
}
