#include "platform/desktop_window.h"

#include "platform/window_icon.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <span>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

// The class that the desktop entry's StartupWMClass names. Xlib takes the
// strings as writable.
auto resourceName = std::to_array("sorvane");
auto resourceClass = std::to_array("Sorvane");

// Xlib's property formats: text in bytes, numbers as 32-bit cardinals, which
// it takes as longs whatever their size.
constexpr int TEXT_FORMAT = 8;
constexpr int CARDINAL_FORMAT = 32;

void setText(Display* display, Window window, const char* name, Atom type, const char* text)
{
    XChangeProperty(display, window, XInternAtom(display, name, False), type, TEXT_FORMAT,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(text),
                    static_cast<int>(std::strlen(text)));
}

void setCardinals(Display* display, Window window, const char* name,
                  std::span<const unsigned long> values)
{
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_CARDINAL,
                    CARDINAL_FORMAT, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()),
                    static_cast<int>(values.size()));
}

} // namespace

void describeWindow(const char* title)
{
    // The toolkit exposes neither its display nor its window; the context it
    // has just made current on the new window has both.
    Display* const display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();

    // The toolkit reports where the window's inside is, and leaving full screen
    // hands that position back. Without a gravity a window manager takes it for
    // the corner of its frame, so every round trip would move the window by the
    // frame's border and title bar. StaticGravity says it is the inside's.
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(display, window, &hints, &supplied);
    hints.flags |= PWinGravity;
    hints.win_gravity = StaticGravity;
    XSetWMNormalHints(display, window, &hints);

    XClassHint classHint{resourceName.data(), resourceClass.data()};
    XSetClassHint(display, window, &classHint);

    // A process id means something only beside the machine it runs on, which
    // the toolkit names only when a window manager was there at start-up.
    // Read only where uname filled it: zeroed first, it would take a memset
    // call that the release build's fortification cannot check.
    utsname host;
    if (uname(&host) == 0) {
        setText(display, window, "WM_CLIENT_MACHINE", XA_STRING, host.nodename);
    }
    const auto pid = static_cast<unsigned long>(getpid());
    setCardinals(display, window, "_NET_WM_PID", {&pid, 1});

    setText(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), title);
    setCardinals(display, window, "_NET_WM_ICON", WINDOW_ICON);

    // The toolkit's main loop flushes too, but only once it runs.
    XFlush(display);
}

FrameExtents frameExtents()
{
    Display* const display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    constexpr std::size_t SIDES = 4;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    FrameExtents extents;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0,
                           static_cast<long>(SIDES), False, XA_CARDINAL, &type, &format, &count,
                           &remaining, &data) == Success &&
        type == XA_CARDINAL && format == CARDINAL_FORMAT && count == SIDES) {
        // Xlib hands 32-bit items over as longs.
        std::array<long, SIDES> sides{};
        std::memcpy(sides.data(), data, sizeof sides);
        extents = {.left = static_cast<int>(sides[0]),
                   .right = static_cast<int>(sides[1]),
                   .top = static_cast<int>(sides[2]),
                   .bottom = static_cast<int>(sides[3])};
    }
    if (data != nullptr) {
        XFree(data);
    }
    return extents;
}
