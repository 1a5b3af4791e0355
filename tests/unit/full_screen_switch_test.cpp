#include "app/full_screen_switch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using Request = FullScreenRequest;
constexpr Request SWITCH = Request::switchOver;
constexpr Request AGAIN = Request::savedPlaceAgain;
enum class Event : std::uint8_t { press, release, frame };

// What the program sees at `ms` (the frame and the place only at frames and
// presses, F11 down only at frames), and what it must ask for then.
struct Step {
    Event event;
    int ms = 0;
    FrameExtents frame{};
    WindowPlace place{};
    Request expected = Request::nothing;
    bool f11Down = false;
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

// Windowed with a title bar; F11 tapped, and full screen without the frame.
std::vector<Step> fromFullScreen(std::vector<Step> steps, FrameExtents frame = TITLE_BAR)
{
    steps.insert(steps.begin(), {{Event::press, 0, frame, WINDOWED, SWITCH},
                                 {Event::release, 50},
                                 {Event::frame, 60, NONE, SCREEN}});
    return steps;
}

class FullScreenOrders : public testing::TestWithParam<Order> {};

TEST_P(FullScreenOrders, RequestsWhatTheProgramMustAskFor)
{
    FullScreenSwitch unit;
    bool fullScreen = false;
    WindowPlace saved;
    const Order& order = GetParam();
    const std::vector<Step>& steps = order.steps;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        const DesktopSight sight{.now = std::chrono::steady_clock::time_point{} +
                                        std::chrono::milliseconds{step.ms},
                                 .frame = step.frame,
                                 .place = step.place,
                                 .f11Down = step.f11Down};
        Request request = Request::nothing;
        if (step.event == Event::press) {
            request = unit.press(fullScreen, sight);
        } else if (step.event == Event::release) {
            unit.release();
        } else {
            request = unit.beforeFrame(sight, saved);
        }
        if (request == SWITCH) {
            fullScreen = !fullScreen;
            saved = fullScreen ? step.place : saved;
        }
        EXPECT_EQ(request, step.expected) << "step " << i;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Desktops, FullScreenOrders, testing::Values(
    Order{"GnomeFrameBackLower", fromFullScreen({{Event::press, 900, NONE, SCREEN, SWITCH},
        {Event::release, 950}, {Event::frame, 1000, NONE, SCREEN},
        {Event::frame, 1100, NONE, WINDOWED}, {Event::frame, 1200, TITLE_BAR, LOWER, AGAIN},
        {Event::frame, 1300, TITLE_BAR, WINDOWED}})},
    Order{"FrameBackBeforeNextFrame", fromFullScreen({{Event::press, 900, NONE, SCREEN, SWITCH},
        {Event::frame, 1000, TITLE_BAR, LOWER, AGAIN}})},
    Order{"FrameStillThereAtPress", fromFullScreen({{Event::press, 900, TITLE_BAR, SCREEN, SWITCH},
        {Event::frame, 1000, TITLE_BAR, SCREEN}, {Event::frame, 1100, NONE, WINDOWED},
        {Event::frame, 1200, TITLE_BAR, LOWER, AGAIN}})},
    Order{"WatchedTenSecondsAtMost", fromFullScreen({{Event::press, 1000, NONE, SCREEN, SWITCH},
        {Event::frame, 11000, NONE, WINDOWED}, {Event::frame, 11001, TITLE_BAR, LOWER}})},
    Order{"NoFrames", fromFullScreen({{Event::press, 900, NONE, SCREEN, SWITCH},
        {Event::frame, 1000, NONE, LOWER}}, NONE)},
    Order{"MoveAfterTheWayBackStands", fromFullScreen({{Event::press, 900, NONE, SCREEN, SWITCH},
        {Event::frame, 1000, TITLE_BAR, WINDOWED}, {Event::frame, 1100, TITLE_BAR, MOVED}})},
    Order{"HeldKeyRepeats", {{Event::press, 0, TITLE_BAR, WINDOWED, SWITCH}, {Event::press, 660},
        {Event::frame, 670, NONE, SCREEN, Request::nothing, true}, {Event::press, 700},
        {Event::release, 800}, {Event::press, 900, NONE, SCREEN, SWITCH}}},
    Order{"ReleaseToAnotherWindow", {{Event::press, 0, TITLE_BAR, WINDOWED, SWITCH},
        {Event::frame, 10, NONE, SCREEN}, {Event::press, 11}, {Event::frame, 20, NONE, SCREEN},
        {Event::press, 900, NONE, SCREEN, SWITCH}}},
    Order{"PressTakenForARepeat", {{Event::press, 0, TITLE_BAR, WINDOWED, SWITCH},
        {Event::frame, 10}, {Event::press, 11}, {Event::frame, 20, NONE, SCREEN, Request::nothing,
        true}, {Event::press, 700}, {Event::release, 800}, {Event::press, 900, NONE, SCREEN,
        SWITCH}}}),
    [](const testing::TestParamInfo<Order>& row) { return row.param.name; });
// clang-format on

} // namespace
