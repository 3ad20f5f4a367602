#include "engine/gpu_verdict.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "diag/encoding.h"
#include "diag/text_trim.h"

namespace {

// "key=value" lines; a value never holds a line break.
std::wstring oneLine(std::wstring value) {
    for (wchar_t& c : value)
        if (c == L'\r' || c == L'\n') c = L' ';
    return value;
}

std::vector<std::pair<std::wstring, std::wstring>> keyValues(const std::wstring& text) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        const std::size_t equals = line.find(L'=');
        if (equals == std::wstring::npos || line[0] == L'#') continue;
        pairs.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    return pairs;
}

std::optional<std::int64_t> parseCount(const std::wstring& value) {
    if (value.empty() || value.size() > 15) return std::nullopt;
    std::int64_t n = 0;
    for (const wchar_t c : value) {
        if (c < L'0' || c > L'9') return std::nullopt;
        n = n * 10 + (c - L'0');
    }
    return n;
}

std::wstring hex(std::uint32_t code) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08X", code);
    return text;
}

GpuVerdict unusable(const std::string& fingerprint, std::wstring reason, std::wstring device = {}) {
    GpuVerdict verdict;
    verdict.fingerprint = fingerprint;
    verdict.state = GpuState::Unusable;
    verdict.device = std::move(device);
    verdict.reason = std::move(reason);
    return verdict;
}

}  // namespace

std::wstring composeGpuCheckReport(const GpuCheckReport& r) {
    return L"device=" + oneLine(r.device) + L"\n" + L"milliseconds=" + std::to_wstring(r.milliseconds) + L"\n" +
           L"gpuText=" + oneLine(fromUtf8(r.gpuText)) + L"\n" + L"cpuText=" + oneLine(fromUtf8(r.cpuText)) + L"\n" +
           L"error=" + oneLine(r.error) + L"\n";
}

GpuCheckReport parseGpuCheckReport(const std::wstring& text) {
    GpuCheckReport report;
    for (const auto& [key, value] : keyValues(text)) {
        if (key == L"device") report.device = value;
        else if (key == L"milliseconds") report.milliseconds = parseCount(value).value_or(0);
        else if (key == L"gpuText") report.gpuText = toUtf8(value);
        else if (key == L"cpuText") report.cpuText = toUtf8(value);
        else if (key == L"error") report.error = value;
    }
    return report;
}

GpuVerdict judgeGpuCheck(const GpuCheckRun& run, const std::string& fingerprint) {
    switch (run.end) {
    case GpuCheckRun::End::NotStarted:
        return unusable(fingerprint, L"tekshiruv ishga tushmadi");
    case GpuCheckRun::End::TimedOut: {
        GpuVerdict verdict = unusable(fingerprint, std::to_wstring(run.limitSeconds) + L" soniyada javob bermadi");
        verdict.state = GpuState::TimedOut;
        verdict.timeoutsInARow = 1;
        return verdict;
    }
    case GpuCheckRun::End::Crashed:
        return unusable(fingerprint, L"drayver ishdan chiqdi, " + hex(run.exitCode));
    case GpuCheckRun::End::Exited:
        break;
    }
    const GpuCheckReport report = parseGpuCheckReport(run.report);
    if (run.exitCode == kGpuCheckNoDevice) {
        GpuVerdict verdict;
        verdict.fingerprint = fingerprint;
        verdict.state = GpuState::NoDevice;
        verdict.reason = report.error;  // what was missing: the backend, or a device for it
        return verdict;
    }
    // A process killed from outside Windows' reach (Wine's host side, for one)
    // can end with 0 and no report: that is no pass.
    if (run.exitCode == kGpuCheckPassed && report.device.empty())
        return unusable(fingerprint, L"tekshiruv jarayoni natijasiz tugadi");
    if (run.exitCode != kGpuCheckPassed) {
        return unusable(fingerprint, report.error.empty() ? L"xato, kod " + std::to_wstring(run.exitCode) : report.error,
                        report.device);
    }
    if (trimBlanks(fromUtf8(report.gpuText)) != trimBlanks(fromUtf8(report.cpuText)))
        return unusable(fingerprint, L"matni protsessornikidan farq qildi", report.device);
    GpuVerdict verdict;
    verdict.fingerprint = fingerprint;
    verdict.state = GpuState::Usable;
    verdict.device = report.device;
    verdict.milliseconds = report.milliseconds;
    return verdict;
}

int gpuCheckLimitSeconds(std::uint64_t modelBytes) {
    // 2 s for each 100 MiB begun: base 34 s, small 40 s, medium 60 s, large 92 s.
    constexpr std::uint64_t kStep = 100ull << 20;
    const std::uint64_t steps = std::min<std::uint64_t>((modelBytes + kStep - 1) / kStep, 75);
    return kGpuCheckLimitSeconds + static_cast<int>(steps) * 2;
}

GpuVerdict verdictToKeep(const std::optional<GpuVerdict>& kept, GpuVerdict judged) {
    if (judged.state != GpuState::TimedOut) return judged;
    const bool sameRow = kept && kept->fingerprint == judged.fingerprint && kept->state == GpuState::TimedOut;
    judged.timeoutsInARow = (sameRow ? kept->timeoutsInARow : 0) + 1;
    if (judged.timeoutsInARow >= kGpuTimeoutsBeforeUnusable) {
        judged.state = GpuState::Unusable;
        judged.reason = std::to_wstring(judged.timeoutsInARow) + L" marta ketma-ket " + judged.reason;
    }
    return judged;
}

std::wstring composeGpuVerdict(const GpuVerdict& v) {
    return L"# Vornika: videokarta tekshiruvi natijasi. O'chirilsa, tekshiruv qayta o'tkaziladi.\n"
           L"fingerprint=" + oneLine(fromUtf8(v.fingerprint)) + L"\n" +
           L"state=" + std::to_wstring(static_cast<std::int32_t>(v.state)) + L"\n" +
           L"device=" + oneLine(v.device) + L"\n" + L"reason=" + oneLine(v.reason) + L"\n" +
           L"milliseconds=" + std::to_wstring(v.milliseconds) + L"\n" +
           L"timeouts=" + std::to_wstring(v.timeoutsInARow) + L"\n";
}

std::optional<GpuVerdict> parseGpuVerdict(const std::wstring& text) {
    GpuVerdict verdict;
    bool haveFingerprint = false, haveState = false;
    for (const auto& [key, value] : keyValues(text)) {
        if (key == L"fingerprint") {
            verdict.fingerprint = toUtf8(value);
            haveFingerprint = !value.empty();
        } else if (key == L"state") {
            const auto state = parseCount(value);
            if (!state || *state > 3) return std::nullopt;
            verdict.state = static_cast<GpuState>(*state);
            haveState = true;
        } else if (key == L"device") {
            verdict.device = value;
        } else if (key == L"reason") {
            verdict.reason = value;
        } else if (key == L"milliseconds") {
            verdict.milliseconds = parseCount(value).value_or(0);
        } else if (key == L"timeouts") {
            verdict.timeoutsInARow = static_cast<int>(std::min<std::int64_t>(parseCount(value).value_or(0), 99));
        }
    }
    if (!haveFingerprint || !haveState) return std::nullopt;
    return verdict;
}

std::wstring recognitionDeviceText(bool useGpu, const std::optional<GpuVerdict>& verdict) {
    if (!useGpu || !verdict || verdict->state == GpuState::NoDevice) return L"Qurilma: Protsessor";
    if (verdict->state == GpuState::TimedOut)
        return L"Videokarta: tekshiruv ulgurmadi (" + verdict->reason +
               L"), keyingi ishga tushishda yana tekshiriladi \u2014 Protsessor";
    if (verdict->state == GpuState::Unusable) return L"Videokarta: ishlamadi (" + verdict->reason + L") \u2014 Protsessor";
    return L"Qurilma: " + verdict->device + L" (videokarta)";
}
