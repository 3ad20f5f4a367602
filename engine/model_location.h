#pragma once
// Where the model file is looked for, and the path the engine is handed.
// Nothing is cached: every load attempt searches afresh, so a model placed
// or moved while the program runs is found at the next attempt.

#include <array>
#include <string>

inline constexpr wchar_t kModelFileName[] = L"ggml-veltostt.bin";

inline constexpr wchar_t kModelMissingText[] = L"Model fayli topilmadi. Ilovani qayta o'rnating.";
inline constexpr wchar_t kModelPathUnusableText[] =
    L"Model yo'lida qo'llab-quvvatlanmaydigan belgilar bor.\nIlovani lotin harfli papkaga o'rnating.";

// In order: the executable's models folder, beside the executable, the local
// application folder's models folder. A candidate whose folder is empty
// stays empty.
std::array<std::wstring, 3> modelCandidates(const std::wstring& exeFolder, const std::wstring& localFolder);

// The first candidate that is an existing file (not a directory), or "".
std::wstring findModelFileIn(const std::wstring& exeFolder, const std::wstring& localFolder);
std::wstring findModelFile();

// Where a model the user picks is written: the first candidate whose folder
// can be created and written, but none after the model in use (a file there
// would never be found). "" when there is no such place.
std::wstring writableModelTargetIn(const std::wstring& exeFolder, const std::wstring& localFolder);
std::wstring writableModelTarget();

struct EnginePath {
    std::wstring path;       // the full path, for the log
    std::string asciiPath;   // what the engine opens; empty on failure
    std::wstring error;      // user text; empty on success
};

// Turns a search result into the engine's ASCII path. A failure carries its
// user text and has written its log line.
EnginePath prepareEnginePath(const std::wstring& foundPath);
