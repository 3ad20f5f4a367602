#pragma once
// Work handed from other threads to a window's own thread. A worker parks a
// call under the lock and posts the window one message; the window's thread
// runs everything parked, oldest first, when that message comes. Once the
// window is going (close, at WM_NCDESTROY), nothing more is parked or
// posted: no call reaches an object that has gone, and no message goes to a
// handle Windows may meanwhile have given to another window. A thread that may
// outlive the window's owner holds the hand-over itself (a shared_ptr), never
// the owner.

#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include <windows.h>

class HandOver {
public:
    // The window's thread, once the window exists.
    void open(HWND target, UINT handOverMessage) {
        const std::lock_guard<std::mutex> lock(mutex);
        window = target;
        message = handOverMessage;
    }
    // The window's thread, as the window goes; what is parked is dropped.
    void close() {
        std::deque<std::function<void()>> dropped;
        const std::lock_guard<std::mutex> lock(mutex);
        window = nullptr;
        dropped.swap(parked);
    }
    // Any thread. False when there is no window (any more) to run it.
    bool post(std::function<void()> call) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (window == nullptr) return false;
        parked.push_back(std::move(call));
        // One message for everything parked until the window's thread takes it.
        if (!messagePending) messagePending = PostMessageW(window, message, 0, 0) != FALSE;
        return true;
    }
    // The window's thread, on the message: the calls run outside the lock,
    // so they may park more.
    void runParked() {
        std::deque<std::function<void()>> calls;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            calls.swap(parked);
            messagePending = false;
        }
        for (const std::function<void()>& call : calls) call();
    }

private:
    std::mutex mutex;
    HWND window = nullptr;
    UINT message = 0;
    bool messagePending = false;
    std::deque<std::function<void()>> parked;
};
