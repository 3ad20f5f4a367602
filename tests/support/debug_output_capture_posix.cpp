#include "tests/support/debug_output_capture.h"

#include <gtest/gtest.h>

struct DebugOutputCapture::State {
    bool capturing = true;
};

DebugOutputCapture::DebugOutputCapture() : state(std::make_unique<State>()) { testing::internal::CaptureStderr(); }

DebugOutputCapture::~DebugOutputCapture() { finish(); }

std::string DebugOutputCapture::finish() {
    if (!state->capturing) return {};
    state->capturing = false;
    return testing::internal::GetCapturedStderr();
}
