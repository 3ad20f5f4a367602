// The graphics card checked in a process of the program's own, with the real
// Vornika.exe under Wine: Mesa's software Vulkan device (lavapipe), whose
// shader compiler crashes under Wine (on the host's side, so the process
// ends without a Windows exception code), a check that hangs, and no Vulkan
// loader at all. The program never goes down with the check, recognises on
// the processor, tells the user once and keeps the verdict.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/gpu_verdict.h"
#include "settings/settings_file.h"
#include "tests/e2e/program_under_test.h"
#include "tests/insert/target_window.h"

using namespace std::chrono_literals;

namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::optional<GpuVerdict> keptVerdict() {
    std::ifstream file(std::filesystem::path(roamingAppFolder() + L"\\" + kGpuVerdictFileName), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return parseGpuVerdict(fromUtf8(text));
}

// Sets an environment variable for the programs started while it lives.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const wchar_t* value) : name(name) { SetEnvironmentVariableW(name, value); }
    ~ScopedVariable() { SetEnvironmentVariableW(name, nullptr); }

private:
    const wchar_t* name;
};

// Wine's loader refuses a DLL for the program's processes while it lives:
// an empty per-program override disables it (as if it were not installed).
class DisabledDllForProgram {
public:
    explicit DisabledDllForProgram(const wchar_t* dll) : dll(dll) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, dll, REG_SZ, L"", sizeof(wchar_t));
    }
    ~DisabledDllForProgram() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, dll); }

private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\Vornika.exe\\DllOverrides";
    const wchar_t* dll;
};

class GpuCheckStories : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
        if (!std::filesystem::exists(std::filesystem::path(exeDirectory() + L"\\gpu\\ggml-vulkan.dll")))
            GTEST_SKIP() << "built without the Vulkan backend";
        forgetEarlierRuns();
        Settings settings = onboardedSettings();
        settings.useGpu = true;
        ASSERT_TRUE(writeSettings(settings));
    }
    // Starts the program and waits until the model has loaded (after the
    // check); the log of this run.
    static std::string startedAndLoaded(ProgramUnderTest& program) {
        EXPECT_TRUE(program.start());
        const auto end = std::chrono::steady_clock::now() + 60s;
        std::string run;
        do {
            std::this_thread::sleep_for(100ms);
            const std::string log = programLog();
            const std::size_t start = log.rfind("ilova ishga tushdi");
            run = start == std::string::npos ? "" : log.substr(start);
        } while (run.find("model yuklandi: ") == std::string::npos && std::chrono::steady_clock::now() < end);
        return run;
    }
};

}  // namespace

TEST_F(GpuCheckStories, ACrashingDriverIsCheckedOnceAndTheProgramRecognisesOnTheProcessor) {
    const ScopedVariable lavapipe(L"GGML_VK_VISIBLE_DEVICES", L"0");
    ProgramUnderTest program("Salom.");
    std::string log = startedAndLoaded(program);
    EXPECT_NE(log.find("videokarta tekshirilmoqda (alohida jarayonda)"), std::string::npos) << log;
    EXPECT_NE(log.find("XATO: videokarta tekshiruvi: ishlamadi ("), std::string::npos) << log;
    EXPECT_NE(log.find("model yuklandi: CPU"), std::string::npos) << log;
    EXPECT_EQ(occurrences(log, "ogohlantirish: videokarta ishlamadi"), 1u);
    ASSERT_TRUE(program.running());
    const std::optional<GpuVerdict> verdict = keptVerdict();
    ASSERT_TRUE(verdict.has_value());
    EXPECT_EQ(verdict->state, GpuState::Unusable);
    std::printf("[ verdict ] %s\n", toUtf8(verdict->reason).c_str());

    // The program still dictates.
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    ASSERT_NE(waitForLog("yozish boshlandi", 10s).find("yozish boshlandi"), std::string::npos);
    ASSERT_TRUE(playIntoMicrophone("tone-1s"));
    std::this_thread::sleep_for(300ms);
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    EXPECT_EQ(target.waitFor(L"Salom.", 30000), L"Salom.");
    EXPECT_TRUE(program.quit());

    // The next start reads the verdict: no check, no balloon.
    ProgramUnderTest::InPlace same{program.folder()};
    {
        ProgramUnderTest again(same);
        const std::string second = startedAndLoaded(again);
        EXPECT_EQ(second.find("videokarta tekshirilmoqda"), std::string::npos) << second;
        EXPECT_EQ(second.find("ogohlantirish: videokarta"), std::string::npos) << second;
        EXPECT_NE(second.find("model yuklandi: CPU"), std::string::npos) << second;
        EXPECT_TRUE(again.quit());
    }

    // A changed backend library is checked again.
    const std::wstring backend = program.folder() + L"\\gpu\\ggml-vulkan.dll";
    const auto stamp = std::filesystem::last_write_time(std::filesystem::path(backend));
    std::filesystem::last_write_time(std::filesystem::path(backend), stamp + std::chrono::hours(1));
    ProgramUnderTest third(same);
    log = startedAndLoaded(third);
    EXPECT_NE(log.find("videokarta tekshirilmoqda (alohida jarayonda)"), std::string::npos) << log;
    EXPECT_TRUE(third.quit());
}

TEST_F(GpuCheckStories, ACheckThatHangsIsEndedAtTheLimitWithoutAVerdictAndNeverHoldsUpQuitting) {
    const ScopedVariable hang(L"VORNIKA_TEST_GPU_CHECK_HANG", L"1");
    {
        // Quitting while the check hangs: at once, and nothing is judged.
        ProgramUnderTest program;
        ASSERT_TRUE(program.start());
        waitForLog("videokarta tekshirilmoqda", 20s);
        const auto quitting = std::chrono::steady_clock::now();
        EXPECT_TRUE(program.quit());
        const auto quit = std::chrono::steady_clock::now() - quitting;
        std::printf("[ measure ] quitting during a hanging check: %.1f s\n", std::chrono::duration<double>(quit).count());
        EXPECT_LT(quit, 10s);
        EXPECT_NE(programLog().find("videokarta tekshiruvi to'xtatildi (dastur yopilmoqda)"), std::string::npos);
        EXPECT_EQ(programLog().find("model yuklanmoqda"), std::string::npos) << "quitting loads nothing";
        EXPECT_FALSE(keptVerdict().has_value());
    }
    ProgramUnderTest program;
    const auto started = std::chrono::steady_clock::now();
    const std::string log = startedAndLoaded(program);
    const auto waited = std::chrono::steady_clock::now() - started;
    std::printf("[ measure ] start to model loaded past a hanging check: %.1f s\n",
                std::chrono::duration<double>(waited).count());
    // Out of time is no verdict: the processor this time, a check again at the next start.
    EXPECT_NE(log.find("soniyada javob bermadi, ketma-ket 1-marta)"), std::string::npos) << log;
    EXPECT_EQ(log.find("ogohlantirish: videokarta"), std::string::npos) << log;
    EXPECT_NE(log.find("model yuklandi: CPU"), std::string::npos) << log;
    ASSERT_TRUE(keptVerdict().has_value());
    EXPECT_EQ(keptVerdict()->state, GpuState::TimedOut);
    EXPECT_GE(waited, 29s);
    EXPECT_LT(waited, 50s);
    EXPECT_TRUE(program.running());
    EXPECT_TRUE(program.quit());
}

TEST_F(GpuCheckStories, WithoutTheVulkanLoaderTheProgramRunsOnTheProcessor) {
    const DisabledDllForProgram noLoader(L"vulkan-1");
    ProgramUnderTest program;
    const std::string log = startedAndLoaded(program);
    EXPECT_NE(log.find("videokarta tekshiruvi: videokarta topilmadi (Vulkan kutubxonasi yuklanmadi;"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("ogohlantirish: videokarta"), std::string::npos) << log;
    EXPECT_NE(log.find("model yuklandi: CPU"), std::string::npos) << log;
    ASSERT_TRUE(keptVerdict().has_value());
    EXPECT_EQ(keptVerdict()->state, GpuState::NoDevice);
    EXPECT_TRUE(program.quit());
}
