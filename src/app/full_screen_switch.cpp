#include "app/full_screen_switch.h"

namespace {

// How long the way back from full screen is watched for at most: GNOME gave
// the frame back within 1.4 s with two busy processes beside the program. A
// window manager that never does is not watched for ever.
constexpr std::chrono::seconds WAY_BACK_WATCH_LIMIT{10};

} // namespace

FullScreenRequest FullScreenSwitch::press(bool fullScreen, const DesktopSight& sight)
{
    // One switch per press, however long F11 is held. A key also repeats when
    // a busy compositor passes its release on late (GNOME's, with the
    // machine's cores taken), so a short press can repeat too.
    if (key != KeyAwaits::press) {
        return FullScreenRequest::nothing;
    }
    key = KeyAwaits::release;
    if (!fullScreen) {
        savedFrame = sight.frame;
        wayBack = WayBackAwaits::nothing;
    } else if (savedFrame != FrameExtents{}) {
        // Without a frame there is nothing that a window manager could put
        // inside the saved place. A frame that full screen took away has
        // changed already: a busy machine may draw its next frame only once
        // the window manager has given it back.
        wayBack =
            sight.frame == savedFrame ? WayBackAwaits::frameToGo : WayBackAwaits::frameToReturn;
        wayBackWatchedUntil = sight.now + WAY_BACK_WATCH_LIMIT;
    }
    return FullScreenRequest::switchOver;
}

void FullScreenSwitch::release()
{
    key = KeyAwaits::press;
}

FullScreenRequest FullScreenSwitch::beforeFrame(const DesktopSight& sight, const WindowPlace& saved)
{
    // F11 down again by then is a new press, which came among those events
    // and was taken for a repeat: its own release is awaited instead.
    if (key == KeyAwaits::eventsSentBeforeUp) {
        key = sight.f11Down ? KeyAwaits::release : KeyAwaits::press;
    } else if (key == KeyAwaits::release && !sight.f11Down) {
        key = KeyAwaits::eventsSentBeforeUp;
    }

    if (wayBack == WayBackAwaits::nothing) {
        return FullScreenRequest::nothing;
    }
    if (sight.now > wayBackWatchedUntil) {
        wayBack = WayBackAwaits::nothing;
        return FullScreenRequest::nothing;
    }
    // GNOME gives the frame back after its last move of the window, so a place
    // read after the frame is the last.
    if (sight.frame != savedFrame) {
        wayBack = WayBackAwaits::frameToReturn;
        return FullScreenRequest::nothing;
    }
    const bool asSaved = sight.place == saved;
    // Until the frame has changed, the window manager may not have started on
    // the way back.
    if (!asSaved && wayBack == WayBackAwaits::frameToGo) {
        return FullScreenRequest::nothing;
    }
    wayBack = WayBackAwaits::nothing;
    // GNOME (mutter 48 and 50) puts the window back without its frame, where
    // it gives it the size and place asked for, and then gives the frame back
    // with its corner where the window's was: the window stands lower by its
    // title bar, and mostly shorter by it too; mutter 48 once put it at the
    // screen's corner instead. Asked again once it has its frame, it complies.
    // Asked once, at the frame's return: a user moves a window by its frame,
    // which was not there before, and every move after it stands.
    return asSaved ? FullScreenRequest::nothing : FullScreenRequest::savedPlaceAgain;
}
