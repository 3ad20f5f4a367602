// The demonstration's user: starts the staged Vornika.exe, opens a window
// with a text field, presses the hotkey, has the harness play a sentence
// into the virtual microphone, asks for a picture of the screen while
// recording, presses the hotkey again and prints what arrived and the log.
//   vornika-demo-driver.exe SOUND PICTURE-FOLDER [MODEL-FILE]

#include <cstdio>
#include <thread>

#include <windows.h>

#include "diag/encoding.h"
#include "tests/e2e/program_under_test.h"
#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"

using namespace std::chrono_literals;

namespace {

int fail(const char* what) {
    std::printf("demo: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return fail("usage: vornika-demo-driver SOUND PICTURE-FOLDER [MODEL-FILE]");
    const std::string sound = toUtf8(argv[1]);
    const std::wstring pictures = argv[2];

    forgetEarlierRuns();
    writeSettings(onboardedSettings());
    ProgramUnderTest program("Assalomu alaykum, bugun havo juda yaxshi. O\xCA\xBBzbek tilida gapiryapman.");
    if (argc > 3 && !CopyFileW(argv[3], (program.folder() + L"\\models\\ggml-veltostt.bin").c_str(), FALSE)) {
        return fail("the model file could not be copied");
    }
    if (!program.start()) return fail("Vornika.exe did not start");
    TargetWindow target;
    if (!target.problem().empty()) return fail(target.problem().c_str());

    std::printf("pressing Ctrl+Alt+D\n");
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    for (int i = 0; i < 100 && !program.overlayShown(); ++i) std::this_thread::sleep_for(50ms);
    std::printf("status strip: %s\n", toUtf8(program.overlayText()).c_str());
    std::printf("speaking into the microphone\n");
    bool spoke = false;
    std::thread speaker([&] { spoke = playIntoMicrophone(sound); });
    // The picture of the screen costs the machine a moment: taken once the
    // model has warmed up, it does not slow the warm-up down.
    waitForLog("isitish tugadi");
    requestScreenPicture(pictures, L"recording", {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    speaker.join();
    if (!spoke) return fail("the harness did not play the sentence");
    std::this_thread::sleep_for(300ms);  // the sound server's latency
    std::printf("pressing Ctrl+Alt+D\n");
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    std::this_thread::sleep_for(100ms);
    std::printf("status strip: %s\n", toUtf8(program.overlayText()).c_str());
    // Until the strip has gone (text in) or says why not.
    for (int i = 0; i < 1200 && program.overlayShown() && program.overlayText().find(L"Matnga") == 0; ++i) {
        std::this_thread::sleep_for(50ms);
    }
    std::this_thread::sleep_for(300ms);
    const std::wstring arrived = target.text();
    if (program.overlayShown()) std::printf("status strip: %s\n", toUtf8(program.overlayText()).c_str());
    std::printf("\ntext in the window: %s\n\nlog:\n%s", toUtf8(arrived).c_str(), programLog().c_str());
    program.quit();
    return arrived.empty() ? 1 : 0;
}
