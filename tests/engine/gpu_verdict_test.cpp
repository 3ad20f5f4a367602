// Judging the graphics-card check's process by how it ended and what it
// reported, and the verdict file that keeps the outcome between runs.

#include "engine/gpu_verdict.h"

#include <gtest/gtest.h>

#include "diag/encoding.h"

namespace {

std::wstring passedReport(const char* gpuText, const char* cpuText) {
    GpuCheckReport report;
    report.device = L"NVIDIA GeForce RTX 3060";
    report.milliseconds = 84;
    report.gpuText = gpuText;
    report.cpuText = cpuText;
    return composeGpuCheckReport(report);
}

}  // namespace

TEST(GpuVerdict, EveryWayTheCheckCanEndHasItsVerdict) {
    GpuCheckReport failedReport;
    failedReport.device = L"llvmpipe";
    failedReport.error = L"videokartada o'girilmadi: whisper_full failed";
    const std::wstring same = passedReport(" Salom.", "Salom. ");
    const std::wstring other = passedReport("Salom", "Salom dunyo");
    const std::wstring failed = composeGpuCheckReport(failedReport);
    struct Case {
        const char* name;
        GpuCheckRun::End end;
        std::uint32_t exitCode;
        const std::wstring* report;  // none: no report
        GpuState state;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {"same text", GpuCheckRun::End::Exited, kGpuCheckPassed, &same, GpuState::Usable, L""},
        {"other text", GpuCheckRun::End::Exited, kGpuCheckPassed, &other, GpuState::Unusable,
         L"matni protsessornikidan farq qildi"},
        {"no device", GpuCheckRun::End::Exited, kGpuCheckNoDevice, nullptr, GpuState::NoDevice, L""},
        {"failed", GpuCheckRun::End::Exited, kGpuCheckFailed, &failed, GpuState::Unusable,
         L"videokartada o'girilmadi: whisper_full failed"},
        {"failed without a report", GpuCheckRun::End::Exited, 7, nullptr, GpuState::Unusable, L"xato, kod 7"},
        {"ended without a report", GpuCheckRun::End::Exited, kGpuCheckPassed, nullptr, GpuState::Unusable,
         L"tekshiruv jarayoni natijasiz tugadi"},
        {"crashed", GpuCheckRun::End::Crashed, 0xC0000005u, nullptr, GpuState::Unusable,
         L"drayver ishdan chiqdi, 0xC0000005"},
        {"out of time", GpuCheckRun::End::TimedOut, 0, nullptr, GpuState::TimedOut, L"30 soniyada javob bermadi"},
        {"not started", GpuCheckRun::End::NotStarted, 0, nullptr, GpuState::Unusable, L"tekshiruv ishga tushmadi"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GpuCheckRun run;
        run.end = c.end;
        run.exitCode = c.exitCode;
        if (c.report != nullptr) run.report = *c.report;
        const GpuVerdict verdict = judgeGpuCheck(run, "fp");
        EXPECT_EQ(verdict.state, c.state);
        EXPECT_EQ(verdict.reason, c.reason);
        EXPECT_EQ(verdict.fingerprint, "fp");
        // Whatever it is, it survives the file.
        EXPECT_EQ(parseGpuVerdict(composeGpuVerdict(verdict)), verdict);
    }
    const GpuVerdict usable = judgeGpuCheck({GpuCheckRun::End::Exited, kGpuCheckPassed, same}, "fp");
    EXPECT_EQ(usable.device, L"NVIDIA GeForce RTX 3060");
    EXPECT_EQ(usable.milliseconds, 84);
}

TEST(GpuVerdict, AFileThatIsNotAVerdictHasTheCheckRunAgain) {
    EXPECT_EQ(parseGpuVerdict(L""), std::nullopt);
    EXPECT_EQ(parseGpuVerdict(L"state=0\n"), std::nullopt) << "no fingerprint";
    EXPECT_EQ(parseGpuVerdict(L"fingerprint=x\nstate=9\n"), std::nullopt);
    EXPECT_EQ(parseGpuVerdict(L"fingerprint=x\r\nstate=x\r\n"), std::nullopt);
    // A name with a line break cannot break the file.
    GpuVerdict verdict{"a|b", GpuState::Unusable, L"Radeon\nRX", L"drayver\r\nishdan chiqdi", 0};
    const auto back = parseGpuVerdict(composeGpuVerdict(verdict));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->device, L"Radeon RX");
    EXPECT_EQ(back->reason, L"drayver  ishdan chiqdi");
}

TEST(GpuVerdict, OnlyTheThirdCheckInARowOutOfTimeMakesTheCardUnusable) {
    GpuCheckRun outOfTime;
    outOfTime.end = GpuCheckRun::End::TimedOut;
    outOfTime.limitSeconds = gpuCheckLimitSeconds(1536ull << 20);  // a medium model
    const auto after = [&](std::optional<GpuVerdict> kept, const char* fingerprint = "fp") {
        return verdictToKeep(kept, judgeGpuCheck(outOfTime, fingerprint));
    };
    const GpuVerdict first = after(std::nullopt);
    const GpuVerdict second = after(first);
    const GpuVerdict third = after(parseGpuVerdict(composeGpuVerdict(second)));  // as kept between starts
    EXPECT_EQ(first.state, GpuState::TimedOut);
    EXPECT_EQ(second.state, GpuState::TimedOut);
    EXPECT_EQ(second.timeoutsInARow, 2);
    EXPECT_EQ(third.state, GpuState::Unusable);
    EXPECT_EQ(third.reason, L"3 marta ketma-ket 62 soniyada javob bermadi");
    EXPECT_EQ(after(second, "new driver").timeoutsInARow, 1) << "a new fingerprint starts a new row";
    EXPECT_EQ(after(GpuVerdict{"fp", GpuState::Usable, L"card", L"", 84}).timeoutsInARow, 1);
    const GpuVerdict passed = verdictToKeep(second, judgeGpuCheck({GpuCheckRun::End::Exited, kGpuCheckPassed,
                                                                   passedReport("Salom", "Salom")}, "fp"));
    EXPECT_EQ(passed.state, GpuState::Usable);
    EXPECT_EQ(passed.timeoutsInARow, 0);
    EXPECT_NE(recognitionDeviceText(true, second).find(L"yana tekshiriladi"), std::wstring::npos);

    const struct {
        std::uint64_t bytes;
        int seconds;
    } limits[] = {{0, 30}, {75ull << 20, 32}, {466ull << 20, 40}, {3ull << 30, 92}, {40ull << 30, 180}};
    for (const auto& c : limits) EXPECT_EQ(gpuCheckLimitSeconds(c.bytes), c.seconds) << c.bytes;
}

TEST(GpuVerdict, TheSettingsWindowSaysWhichDeviceRecognises) {
    const GpuVerdict usable{"fp", GpuState::Usable, L"NVIDIA GeForce RTX 3060", L"", 84};
    const GpuVerdict broken{"fp", GpuState::Unusable, L"llvmpipe", L"drayver ishdan chiqdi, 0xC0000005", 0};
    const GpuVerdict none{"fp", GpuState::NoDevice, L"", L"", 0};
    EXPECT_EQ(recognitionDeviceText(true, usable), L"Qurilma: NVIDIA GeForce RTX 3060 (videokarta)");
    EXPECT_EQ(recognitionDeviceText(false, usable), L"Qurilma: Protsessor");
    EXPECT_EQ(recognitionDeviceText(true, broken),
              L"Videokarta: ishlamadi (drayver ishdan chiqdi, 0xC0000005) \u2014 Protsessor");
    EXPECT_EQ(recognitionDeviceText(true, none), L"Qurilma: Protsessor");
    EXPECT_EQ(recognitionDeviceText(true, std::nullopt), L"Qurilma: Protsessor");
}
