// When F11 switches full screen, and when the way back from it needs a second
// request: decided from what the program sees of its window and its keyboard,
// and nothing else, so that any order in which a desktop sends its events can
// be played to it.
#pragma once

#include "platform/desktop_window.h"

#include <chrono>
#include <cstdint>

struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const WindowPlace&) const = default;
};

// What the program saw at one moment. A press reads the frame; before a frame,
// the frame and then the place are read only while the way back is watched,
// and whether F11 is down only while a release is awaited (unread, it counts
// as down, which forgets nothing).
struct DesktopSight {
    std::chrono::steady_clock::time_point now;
    FrameExtents frame;
    WindowPlace place;
    bool f11Down = true;
};

enum class FullScreenRequest : std::uint8_t {
    nothing,
    // Enter full screen, or leave it for the saved size and then place.
    switchOver,
    // The saved size and then place once more.
    savedPlaceAgain,
};

class FullScreenSwitch {
  public:
    // F11 pressed in the window, or repeated while held. `fullScreen`: whether
    // the window is full screen before the press.
    FullScreenRequest press(bool fullScreen, const DesktopSight& sight);
    void release();
    // Before each timed frame; `saved` is the place asked for on leaving.
    FullScreenRequest beforeFrame(const DesktopSight& sight, const WindowPlace& saved);

    [[nodiscard]] bool awaitsRelease() const
    {
        return key != KeyAwaits::press;
    }
    [[nodiscard]] bool watchesWayBack() const
    {
        return wayBack != WayBackAwaits::nothing;
    }

  private:
    // A held key repeats as presses alone, so every press before the release
    // is one of its repeats. A release that went to another window never
    // comes: once F11 is seen up, the events sent before that, repeats among
    // them, may still wait to be handled, and by the next frame they have
    // been.
    enum class KeyAwaits : std::uint8_t { press, release, eventsSentBeforeUp };
    // Leaving full screen: GNOME puts the window back without its frame first,
    // and gives the frame back with the window out of place. A frame still as
    // saved at the press has yet to go.
    enum class WayBackAwaits : std::uint8_t { nothing, frameToGo, frameToReturn };

    KeyAwaits key = KeyAwaits::press;
    WayBackAwaits wayBack = WayBackAwaits::nothing;
    FrameExtents savedFrame;
    std::chrono::steady_clock::time_point wayBackWatchedUntil;
};
