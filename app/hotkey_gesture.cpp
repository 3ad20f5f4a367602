#include "app/hotkey_gesture.h"

GestureAction HotkeyGesture::press(Clock::time_point at, bool recording) {
    if (recording) {
        // Toggle, and auto after a tap: this press ends the take. In hold
        // mode a second press (the release was missed) ends it as well.
        keyDown = false;
        return GestureAction::StopTake;
    }
    keyDown = true;
    pressedAt = at;
    return GestureAction::StartTake;
}

GestureAction HotkeyGesture::release(Clock::time_point at) {
    if (!keyDown) return GestureAction::None;
    keyDown = false;
    switch (mode) {
    case HotkeyMode::Toggle:
        return GestureAction::None;
    case HotkeyMode::Hold:
        return GestureAction::StopTake;
    case HotkeyMode::Auto:
        // A tap leaves the take running until the next press.
        return at - pressedAt >= kAutoHoldThreshold ? GestureAction::StopTake : GestureAction::None;
    }
    return GestureAction::None;
}
