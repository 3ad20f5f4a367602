#include "tools/common/console.h"

#include <atomic>
#include <csignal>

#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onSignal(int) { interrupted.store(true); }

}  // namespace

void useBinaryStdout() {}
void useBinaryStdin() {}

std::vector<std::string> utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool stderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void catchInterrupt() {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interruptRequested() { return interrupted.load(); }
