#include "engine/model_location.h"

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log.h"

std::array<std::wstring, 3> modelCandidates(const std::wstring& exeFolder, const std::wstring& localFolder) {
    const std::wstring inModels = std::wstring(1, kPathSeparator) + L"models" + kPathSeparator + kModelFileName;
    const std::wstring beside = std::wstring(1, kPathSeparator) + kModelFileName;
    return {exeFolder.empty() ? L"" : exeFolder + inModels, exeFolder.empty() ? L"" : exeFolder + beside,
            localFolder.empty() ? L"" : localFolder + inModels};
}

std::wstring findModelFileIn(const std::wstring& exeFolder, const std::wstring& localFolder) {
    for (const std::wstring& candidate : modelCandidates(exeFolder, localFolder))
        if (!candidate.empty() && fileExists(candidate)) return candidate;
    return {};
}

std::wstring findModelFile() { return findModelFileIn(exeDirectory(), localAppFolder()); }

EnginePath prepareEnginePath(const std::wstring& foundPath) {
    EnginePath result{foundPath, {}, {}};
    if (foundPath.empty()) {
        result.error = kModelMissingText;
        logLine(L"XATO: model fayli topilmadi");
        return result;
    }
    result.asciiPath = toAsciiPath(foundPath);
    if (result.asciiPath.empty()) {
        result.error = kModelPathUnusableText;
        logLine(L"XATO: model yo'li C uchun tayyorlanmadi: " + foundPath);
    }
    return result;
}
