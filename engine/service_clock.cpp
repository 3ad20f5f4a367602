#include "engine/service_clock.h"

#include <algorithm>

namespace {

// A single wait is at most one day; longer ones are chained.
constexpr std::chrono::milliseconds kLongestWait{86'400'000};

class SteadyServiceClock final : public ServiceClock {
public:
    TimePoint now() override { return std::chrono::steady_clock::now(); }

    bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, TimePoint deadline) override {
        const auto remaining = deadline - now();
        if (remaining <= TimePoint::duration::zero()) return true;
        // Rounded up, so a timed-out wait has really reached the deadline.
        const auto wait = std::min(std::chrono::ceil<std::chrono::milliseconds>(remaining), kLongestWait);
        if (wake.wait_for(lock, wait) == std::cv_status::no_timeout) return false;
        // The end of one link of a chained wait counts as a wake-up: the
        // caller looks at its queue again (a notification sent while this
        // thread was between two waits is not lost) and waits anew.
        return now() >= deadline;
    }
};

}  // namespace

ServiceClock& steadyServiceClock() {
    static SteadyServiceClock clock;
    return clock;
}
