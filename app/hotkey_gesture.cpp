#include "app/hotkey_gesture.h"

GestureAction HotkeyGesture::press(Clock::time_point at, bool recording) {
    // The key is still held: this is the keyboard's repeat (Wine reports
    // repeats despite MOD_NOREPEAT), not a new press.
    if (recording && awaitingRelease()) return GestureAction::None;
    if (recording) {
        // Toggle, and auto after a tap: this press ends the take.
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
