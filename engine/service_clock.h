#pragma once
// The time source of the transcription service's idle unloading. The program
// uses the steady clock; tests substitute a clock they move by hand, so an
// idle interval of minutes passes in milliseconds.

#include <chrono>
#include <condition_variable>
#include <mutex>

class ServiceClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~ServiceClock() = default;
    virtual TimePoint now() = 0;
    // Waits on wake (lock held by the caller) until a notification, a
    // spurious wake-up or the deadline, or for part of the way to a far
    // deadline. True only when the deadline has passed; after false the
    // caller checks its state and calls again.
    virtual bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, TimePoint deadline) = 0;
};

ServiceClock& steadyServiceClock();
