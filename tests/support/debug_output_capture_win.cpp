#include "tests/support/debug_output_capture.h"

#include <mutex>

#include <windows.h>

#include "diag/encoding.h"

// OutputDebugString raises an exception a debugger would catch; a vectored
// handler sees it first and takes the text.
namespace {

std::mutex capturedMutex;
std::string captured;

LONG CALLBACK takeDebugString(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C && record->NumberParameters >= 2) {
        const auto* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
        const std::lock_guard lock(capturedMutex);
        captured += toUtf8(text);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        const std::lock_guard lock(capturedMutex);
        captured += text;
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

struct DebugOutputCapture::State {
    void* handler = nullptr;
};

DebugOutputCapture::DebugOutputCapture() : state(std::make_unique<State>()) {
    const std::lock_guard lock(capturedMutex);
    captured.clear();
    state->handler = AddVectoredExceptionHandler(1, takeDebugString);
}

DebugOutputCapture::~DebugOutputCapture() { finish(); }

std::string DebugOutputCapture::finish() {
    if (state->handler == nullptr) return {};
    RemoveVectoredExceptionHandler(state->handler);
    state->handler = nullptr;
    const std::lock_guard lock(capturedMutex);
    return captured;
}
