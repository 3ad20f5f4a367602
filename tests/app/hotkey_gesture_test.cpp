// Presses and releases of the dictation hotkey in each mode, as the
// controller reports them, and the take actions they give.

#include "app/hotkey_gesture.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct Edge {
    char kind;  // 'P' press, 'R' release
    int atMs;
};

// Plays the edges with a take that starts and stops as the actions say;
// gives the actions as "S" (start), "T" (stop) and "-" (none).
std::string play(HotkeyMode mode, const std::vector<Edge>& edges) {
    HotkeyGesture gesture(mode);
    const auto origin = HotkeyGesture::Clock::time_point{};
    bool recording = false;
    std::string actions;
    for (const Edge& edge : edges) {
        const auto at = origin + std::chrono::milliseconds(edge.atMs);
        if (edge.kind == 'R' && !gesture.awaitingRelease()) {
            actions += '.';  // the controller does not watch the key then
            continue;
        }
        const GestureAction action = edge.kind == 'P' ? gesture.press(at, recording) : gesture.release(at);
        if (action == GestureAction::StartTake) recording = true;
        if (action == GestureAction::StopTake) recording = false;
        actions += action == GestureAction::StartTake ? 'S' : action == GestureAction::StopTake ? 'T' : '-';
    }
    return actions;
}

}  // namespace

TEST(HotkeyGesture, EachModeTurnsPressesAndReleasesIntoTakes) {
    const struct {
        HotkeyMode mode;
        std::vector<Edge> edges;
        const char* actions;
    } cases[] = {
        {HotkeyMode::Toggle, {{'P', 0}, {'R', 100}, {'P', 3000}, {'R', 3100}}, "S.T."},
        {HotkeyMode::Toggle, {{'P', 0}, {'R', 5000}, {'P', 6000}}, "S.T"},
        {HotkeyMode::Hold, {{'P', 0}, {'R', 2500}}, "ST"},
        {HotkeyMode::Hold, {{'P', 0}, {'R', 50}, {'P', 1000}, {'R', 4000}}, "STST"},
        {HotkeyMode::Auto, {{'P', 0}, {'R', 150}, {'P', 5000}, {'R', 5100}}, "S-T."},
        {HotkeyMode::Auto, {{'P', 0}, {'R', 399}, {'P', 800}}, "S-T"},
        {HotkeyMode::Auto, {{'P', 0}, {'R', 400}}, "ST"},
        {HotkeyMode::Auto, {{'P', 0}, {'R', 3000}, {'P', 4000}, {'R', 4100}, {'P', 9000}}, "STS-T"},
        // Presses while the key is held are the keyboard repeating it.
        {HotkeyMode::Hold, {{'P', 0}, {'P', 500}, {'P', 530}, {'R', 2000}}, "S--T"},
        {HotkeyMode::Auto, {{'P', 0}, {'P', 500}, {'R', 2000}}, "S-T"},
        {HotkeyMode::Toggle, {{'P', 0}, {'P', 500}}, "ST"},
    };
    for (const auto& c : cases) EXPECT_EQ(play(c.mode, c.edges), c.actions) << static_cast<int>(c.mode);
}

TEST(HotkeyGesture, ATakeEndedOtherwiseNeedsNoRelease) {
    HotkeyGesture gesture(HotkeyMode::Hold);
    const auto t0 = HotkeyGesture::Clock::time_point{};
    EXPECT_EQ(gesture.press(t0, false), GestureAction::StartTake);
    EXPECT_TRUE(gesture.awaitingRelease());
    gesture.takeEnded();  // cancelled, or the microphone went away
    EXPECT_FALSE(gesture.awaitingRelease());
    EXPECT_EQ(gesture.release(t0 + 1s), GestureAction::None) << "no stop for a take that is over";
    EXPECT_EQ(gesture.press(t0 + 2s, false), GestureAction::StartTake);
}
