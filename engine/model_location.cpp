#include "engine/model_location.h"

#include <filesystem>
#include <fstream>

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

namespace {

// Tries what the import will do: create the folder and a part file in it.
bool canWriteModelAt(const std::wstring& candidate) {
    if (!ensureDirectory(parentOf(candidate))) return false;
    const std::string probe = toUtf8(candidate + L".part");
    const std::filesystem::path path(std::u8string(probe.begin(), probe.end()));
    const bool written = static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::app));
    std::error_code ignored;
    if (written) std::filesystem::remove(path, ignored);
    return written;
}

}  // namespace

std::wstring writableModelTargetIn(const std::wstring& exeFolder, const std::wstring& localFolder) {
    const std::wstring inUse = findModelFileIn(exeFolder, localFolder);
    for (const std::wstring& candidate : modelCandidates(exeFolder, localFolder)) {
        if (candidate.empty()) continue;
        if (canWriteModelAt(candidate)) return candidate;
        if (candidate == inUse) break;
    }
    return {};
}

std::wstring writableModelTarget() { return writableModelTargetIn(exeDirectory(), localAppFolder()); }

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
