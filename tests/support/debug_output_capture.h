#pragma once
// Collects what the program sends to the debugger output while it lives:
// standard error in the native build, OutputDebugString on Windows.

#include <memory>
#include <string>

class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;
    // Everything captured so far, as UTF-8; ends the capture.
    std::string finish();

private:
    struct State;
    std::unique_ptr<State> state;
};
