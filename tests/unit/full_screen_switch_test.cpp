#include "app/full_screen_switch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr FullScreenRequest NOTHING = FullScreenRequest::nothing;
constexpr FullScreenRequest SWITCH = FullScreenRequest::switchOver;
constexpr FullScreenRequest AGAIN = FullScreenRequest::savedPlaceAgain;
enum class Event : std::uint8_t { press, release, frame, frameF11Down };
using enum Event;

// What the program sees at `ms` (the frame and the place at presses and
// frames), and what it must ask for then.
struct Step {
    Event event{};
    int ms = 0;
    FrameExtents frame{};
    WindowPlace place{};
    FullScreenRequest expected = NOTHING;
};

struct Order {
    std::string name;
    std::vector<Step> steps;
};

void PrintTo(const Order& order, std::ostream* out)
{
    *out << order.name;
}

constexpr FrameExtents NONE{};
constexpr FrameExtents TITLE_BAR{.left = 0, .right = 0, .top = 39, .bottom = 0};
constexpr WindowPlace WINDOWED{.x = 200, .y = 150, .width = 640, .height = 480};
constexpr WindowPlace LOWER{.x = 200, .y = 189, .width = 640, .height = 441};
constexpr WindowPlace SCREEN{.x = 0, .y = 0, .width = 1280, .height = 1024};
constexpr WindowPlace MOVED{.x = 300, .y = 250, .width = 640, .height = 480};

// Windowed with this frame, F11 tapped, and full screen without a frame.
std::vector<Step> fromFullScreen(std::vector<Step> steps, FrameExtents windowedFrame = TITLE_BAR)
{
    steps.insert(
        steps.begin(),
        {{press, 0, windowedFrame, WINDOWED, SWITCH}, {release, 50}, {frame, 60, NONE, SCREEN}});
    return steps;
}

class FullScreenOrders : public testing::TestWithParam<Order> {};

TEST_P(FullScreenOrders, RequestsWhatTheProgramMustAskFor)
{
    FullScreenSwitch unit;
    bool fullScreen = false;
    WindowPlace saved;
    const Order& order = GetParam();
    for (const Step& step : order.steps) {
        const DesktopSight sight{.now = std::chrono::steady_clock::time_point{} +
                                        std::chrono::milliseconds{step.ms},
                                 .frame = step.frame,
                                 .place = step.place,
                                 .f11Down = step.event == frameF11Down};
        FullScreenRequest request = NOTHING;
        if (step.event == press) {
            request = unit.press(fullScreen, sight);
        } else if (step.event == release) {
            unit.release();
        } else {
            request = unit.beforeFrame(sight, saved);
        }
        if (request == SWITCH) {
            fullScreen = !fullScreen;
            saved = fullScreen ? step.place : saved;
        }
        EXPECT_EQ(request, step.expected) << "at " << step.ms << " ms";
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Desktops, FullScreenOrders, testing::Values(
    Order{"GnomeFrameBackLower", fromFullScreen({{press, 900, NONE, SCREEN, SWITCH},
        {release, 950}, {frame, 1000, NONE, SCREEN}, {frame, 1100, NONE, WINDOWED},
        {frame, 1200, TITLE_BAR, LOWER, AGAIN}, {frame, 1300, TITLE_BAR, WINDOWED}})},
    Order{"FrameBackBeforeNextFrame", fromFullScreen({{press, 900, NONE, SCREEN, SWITCH},
        {frame, 1000, TITLE_BAR, LOWER, AGAIN}})},
    Order{"FrameStillThereAtPress", fromFullScreen({{press, 900, TITLE_BAR, SCREEN, SWITCH},
        {frame, 1000, TITLE_BAR, SCREEN}, {frame, 1100, NONE, WINDOWED},
        {frame, 1200, TITLE_BAR, LOWER, AGAIN}})},
    Order{"WatchedTenSecondsAtMost", fromFullScreen({{press, 1000, NONE, SCREEN, SWITCH},
        {frame, 11000, NONE, WINDOWED}, {frame, 11001, TITLE_BAR, LOWER}})},
    Order{"NoFrames", fromFullScreen({{press, 900, NONE, SCREEN, SWITCH},
        {frame, 1000, NONE, LOWER}}, NONE)},
    Order{"MoveAfterTheWayBackStands", fromFullScreen({{press, 900, NONE, SCREEN, SWITCH},
        {frame, 1000, TITLE_BAR, WINDOWED}, {frame, 1100, TITLE_BAR, MOVED}})},
    Order{"HeldKeyRepeats", {{press, 0, TITLE_BAR, WINDOWED, SWITCH}, {press, 660},
        {frameF11Down, 670}, {press, 700}, {release, 800}, {press, 900, NONE, SCREEN, SWITCH}}},
    Order{"ReleaseToAnotherWindow", {{press, 0, TITLE_BAR, WINDOWED, SWITCH}, {frame, 10},
        {press, 11}, {frame, 20}, {press, 900, NONE, SCREEN, SWITCH}}},
    Order{"PressTakenForARepeat", {{press, 0, TITLE_BAR, WINDOWED, SWITCH}, {frame, 10},
        {press, 11}, {frameF11Down, 20}, {press, 700}, {release, 800},
        {press, 900, NONE, SCREEN, SWITCH}}}),
    [](const testing::TestParamInfo<Order>& row) { return row.param.name; });
// clang-format on

} // namespace
