#pragma once
// What a press or a release of the dictation hotkey means in each hotkey
// mode, as a pure state machine: the controller reports the key's edges with
// their times and carries out the action it gets back. Not thread-safe; the
// GUI thread owns it.

#include <chrono>
#include <cstdint>

#include "settings/settings.h"

// A press held at least this long makes an auto-mode take a held one.
inline constexpr std::chrono::milliseconds kAutoHoldThreshold{400};

enum class GestureAction {
    None,
    StartTake,
    StopTake,
};

class HotkeyGesture {
public:
    using Clock = std::chrono::steady_clock;

    explicit HotkeyGesture(HotkeyMode mode = HotkeyMode::Toggle) : mode(mode) {}

    // The hotkey went down (its repeats are not reported). recording: whether
    // a take runs now (it may have ended without the key, for instance by a
    // lost microphone).
    GestureAction press(Clock::time_point at, bool recording);
    // The key came up; only meaningful while the controller watches for it.
    GestureAction release(Clock::time_point at);
    // Whether the controller must watch for the key's release (poll its state).
    bool awaitingRelease() const { return keyDown && mode != HotkeyMode::Toggle; }
    // A take that ended by other means (cancel, a failure, the tray menu).
    void takeEnded() { keyDown = false; }

private:
    HotkeyMode mode;
    bool keyDown = false;        // a press that started a take is still held
    Clock::time_point pressedAt{};
};
