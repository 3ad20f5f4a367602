// The engine boundary through the real whisper library, on scripted models.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "engine/recognition_engine.h"
#include "engine/velto.h"
#include "engine/velto_internal.h"
#include "engine/velto_params.h"
#include "tests/engine/model_files.h"

#ifdef _WIN32
#include <filesystem>

#include <windows.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "tests/support/temp_folder.h"
#endif

namespace {

std::mutex logMutex;
std::vector<std::string> logged;

void captureLog(const char* text) {
    std::lock_guard<std::mutex> lock(logMutex);
    logged.emplace_back(text);
}

std::vector<float> tone(std::size_t count, float amplitude = 0.5f) {
    std::vector<float> s(count);
    for (std::size_t i = 0; i < count; ++i) s[i] = amplitude * std::sin(static_cast<float>(i) * 0.07f);
    return s;
}

struct Text {
    char* p;
    explicit Text(char* text) : p(text) {}
    ~Text() { velto_free_text(p); }
    std::string str() const { return p ? std::string(p) : std::string("<null>"); }
};

class Velto : public ::testing::Test {
protected:
    static void SetUpTestSuite() { velto_set_log_callback(captureLog); }
    void SetUp() override { velto_unload(); }
    void TearDown() override { velto_unload(); }
};

}  // namespace

TEST_F(Velto, ScriptedModelGivesItsSentenceExactly) {
    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 1), 0) << velto_last_error();
    EXPECT_STREQ(velto_backend(), "CPU");  // no GPU backend in this build
    EXPECT_STREQ(velto_last_error(), "");
    const auto samples = tone(kRecognitionRate * 3);
    Text text(velto_transcribe(samples.data(), static_cast<int>(samples.size()), 2));
    EXPECT_EQ(text.str(), testmodels::kSentence);
    EXPECT_STREQ(velto_last_error(), "");
}

TEST_F(Velto, AnAbortStopsOneRecognitionAndOnlyThatOne) {
    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 0), 0);
    const auto take = tone(kRecognitionRate * 3);
    velto_abort();
    EXPECT_EQ(velto_transcribe(take.data(), static_cast<int>(take.size()), 2), nullptr);
    EXPECT_STREQ(velto_last_error(), "aborted");
    char* text = velto_transcribe(take.data(), static_cast<int>(take.size()), 2);
    ASSERT_NE(text, nullptr) << velto_last_error();
    EXPECT_EQ(std::string(text), testmodels::kSentence);
    velto_free_text(text);
}

TEST_F(Velto, APromptReachesTheModelAndALongOneIsCutAtAWord) {
    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 0), 0);
    const auto take = tone(kRecognitionRate * 3);
    const auto cutLines = [] {
        std::lock_guard<std::mutex> lock(logMutex);
        std::vector<std::string> lines;
        for (const std::string& line : logged)
            if (line.rfind("prompt qisqartirildi: ", 0) == 0) lines.push_back(line);
        return lines;
    };
    const std::size_t before = cutLines().size();
    Text shortPrompt(velto_transcribe_prompted(take.data(), static_cast<int>(take.size()), 2, "Toshkent, Navoiy"));
    ASSERT_NE(shortPrompt.p, nullptr) << velto_last_error();
    Text noPrompt(velto_transcribe_prompted(take.data(), static_cast<int>(take.size()), 2, ""));
    EXPECT_EQ(noPrompt.str(), testmodels::kSentence);
    EXPECT_EQ(cutLines().size(), before);

    std::string list;
    for (int i = 0; i < 300; ++i) list += "So'z" + std::to_string(i) + ", ";
    Text longPrompt(velto_transcribe_prompted(take.data(), static_cast<int>(take.size()), 2, list.c_str()));
    ASSERT_NE(longPrompt.p, nullptr) << velto_last_error();
    const std::vector<std::string> lines = cutLines();
    ASSERT_EQ(lines.size(), before + 1);
    int full = 0, kept = 0;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "prompt qisqartirildi: %d token -> %d token", &full, &kept), 2)
        << lines.back();
    EXPECT_GT(full, 220);
    EXPECT_LE(kept, 220);
    EXPECT_GT(kept, 150);

    // The text a part continues: a long dictation is cut to its end quietly,
    // alone and beside the word list, and the recognition goes on.
    std::string dictation;
    for (int i = 0; i < 600; ++i) dictation += "gap" + std::to_string(i) + (i % 12 == 11 ? ". " : " ");
    Text inContext(velto_transcribe_in_context(take.data(), static_cast<int>(take.size()), 2, "", dictation.c_str()));
    ASSERT_NE(inContext.p, nullptr) << velto_last_error();
    EXPECT_EQ(inContext.str(), testmodels::kSentence);
    Text both(velto_transcribe_in_context(take.data(), static_cast<int>(take.size()), 2, list.c_str(), dictation.c_str()));
    ASSERT_NE(both.p, nullptr) << velto_last_error();
    EXPECT_EQ(cutLines().size(), before + 2) << "only the word list's cut is told";
}

TEST_F(Velto, SilenceModelGivesAnAllocatedEmptyText) {
    ASSERT_EQ(velto_load(testmodels::silence().c_str(), 0), 0) << velto_last_error();
    const auto samples = tone(kRecognitionRate * 2);
    Text text(velto_transcribe(samples.data(), static_cast<int>(samples.size()), 0));
    ASSERT_NE(text.p, nullptr) << velto_last_error();
    EXPECT_EQ(text.str(), "");
}

TEST_F(Velto, LoadTwiceKeepsTheFirstContextAndBackend) {
    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 0), 0);
    EXPECT_STREQ(velto_backend(), "CPU");
    // A second load, even of another file, is a no-op that succeeds.
    EXPECT_EQ(velto_load(testmodels::silence().c_str(), 1), 0);
    EXPECT_STREQ(velto_backend(), "CPU");
    const auto samples = tone(kRecognitionRate);
    Text text(velto_transcribe(samples.data(), static_cast<int>(samples.size()), 2));
    EXPECT_EQ(text.str(), testmodels::kSentence);
}

TEST_F(Velto, ErrorTextsOfTheCallers) {
    EXPECT_EQ(velto_load("", 1), 1);
    EXPECT_STREQ(velto_last_error(), "empty model path");
    EXPECT_EQ(velto_load(nullptr, 0), 1);
    EXPECT_STREQ(velto_last_error(), "empty model path");

    const float one = 0.1f;
    // Without a model the model check comes first, even for a bad buffer.
    EXPECT_EQ(velto_transcribe(nullptr, 0, 2), nullptr);
    EXPECT_STREQ(velto_last_error(), "model not loaded");

    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 0), 0);
    EXPECT_EQ(velto_transcribe(&one, 0, 2), nullptr);
    EXPECT_STREQ(velto_last_error(), "no samples");
    EXPECT_EQ(velto_transcribe(nullptr, 100, 2), nullptr);
    EXPECT_STREQ(velto_last_error(), "no samples");
    EXPECT_EQ(velto_transcribe(&one, -5, 2), nullptr);
    EXPECT_STREQ(velto_last_error(), "no samples");

    velto_unload();
    EXPECT_STREQ(velto_backend(), "");
    EXPECT_STREQ(velto_last_error(), "no samples");  // unload leaves the last error alone
}

TEST_F(Velto, LibraryRejectionsKeepTheirText) {
    const std::string missing = (testmodels::folder() / "no-such-model.bin").string();
    EXPECT_EQ(velto_load(missing.c_str(), 1), 1);
    EXPECT_STREQ(velto_last_error(), "whisper_init_from_file_with_params failed");
    EXPECT_STREQ(velto_backend(), "");

    const std::string notModel = testmodels::writeBytes("not-a-model.bin", {'R', 'I', 'F', 'F', 0, 0, 0, 0});
    EXPECT_EQ(velto_load(notModel.c_str(), 0), 1);
    EXPECT_STREQ(velto_last_error(), "whisper_init_from_file_with_params failed");
    const std::string empty = testmodels::writeBytes("empty.bin", {});
    EXPECT_EQ(velto_load(empty.c_str(), 0), 1);
    EXPECT_STREQ(velto_last_error(), "whisper_init_from_file_with_params failed");
    // A folder is not a model either.
    EXPECT_EQ(velto_load(testmodels::folder().string().c_str(), 0), 1);
}

TEST_F(Velto, UnloadWithoutModelOnlyEmptiesTheBackend) {
    EXPECT_EQ(velto_load("", 0), 1);
    velto_unload();
    velto_unload();
    EXPECT_STREQ(velto_backend(), "");
    EXPECT_STREQ(velto_last_error(), "empty model path");
    // And a load after unloading works again.
    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 0), 0);
    EXPECT_STREQ(velto_backend(), "CPU");
}

TEST_F(Velto, OddAudioDoesNotTakeTheProcessDown) {
    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 0), 0);
    const float single = 0.5f;
    Text shortest(velto_transcribe(&single, 1, 2));
    EXPECT_NE(shortest.p, nullptr) << velto_last_error();

    std::vector<float> broken = tone(kRecognitionRate * 2);
    for (std::size_t i = 0; i < broken.size(); i += 7) broken[i] = std::numeric_limits<float>::quiet_NaN();
    broken[5] = std::numeric_limits<float>::infinity();
    Text nan(velto_transcribe(broken.data(), static_cast<int>(broken.size()), 2));
    EXPECT_NE(nan.p, nullptr) << velto_last_error();

    // More than one 30 s window: each window repeats the script.
    const auto longTake = tone(kRecognitionRate * 35);
    Text twice(velto_transcribe(longTake.data(), static_cast<int>(longTake.size()), 2));
    EXPECT_EQ(twice.str(), testmodels::kSentence + testmodels::kSentence);
}

TEST(VeltoParams, FixedRecognitionSettings) {
    whisper_full_params p = veltoRecognitionParams(0);
    EXPECT_EQ(p.n_threads, 4);
    EXPECT_EQ(veltoRecognitionParams(-3).n_threads, 4);
    EXPECT_EQ(veltoRecognitionParams(7).n_threads, 7);
    EXPECT_EQ(p.strategy, WHISPER_SAMPLING_BEAM_SEARCH);
    EXPECT_FALSE(p.translate);
    EXPECT_TRUE(p.no_timestamps);
    EXPECT_FALSE(p.print_special || p.print_progress || p.print_realtime || p.print_timestamps);
    EXPECT_STREQ(p.language, "uz");
    EXPECT_TRUE(p.suppress_blank);
    EXPECT_FLOAT_EQ(p.logprob_thold, -1.0f);
    EXPECT_FLOAT_EQ(p.no_speech_thold, 0.25f);
    EXPECT_EQ(p.beam_search.beam_size, 5);
    // Everything else stays at the library's defaults.
    const whisper_full_params d = whisper_full_default_params(WHISPER_SAMPLING_BEAM_SEARCH);
    EXPECT_EQ(p.temperature, d.temperature);
    EXPECT_EQ(p.entropy_thold, d.entropy_thold);
    EXPECT_EQ(p.detect_language, d.detect_language);
}

TEST(VeltoLog, ForwarderDropsEmptyAndLineFeedOnlyTexts) {
    velto_set_log_callback(captureLog);
    {
        std::lock_guard<std::mutex> lock(logMutex);
        logged.clear();
    }
    veltoForwardLog(GGML_LOG_LEVEL_INFO, "", nullptr);
    veltoForwardLog(GGML_LOG_LEVEL_CONT, "\n", nullptr);
    veltoForwardLog(GGML_LOG_LEVEL_INFO, "\nleading line feed", nullptr);
    veltoForwardLog(GGML_LOG_LEVEL_INFO, nullptr, nullptr);
    veltoForwardLog(GGML_LOG_LEVEL_ERROR, "kept as it is\n", reinterpret_cast<void*>(1));
    veltoForwardLog(GGML_LOG_LEVEL_CONT, ".", nullptr);
    {
        std::lock_guard<std::mutex> lock(logMutex);
        EXPECT_EQ(logged, (std::vector<std::string>{"kept as it is\n", "."}));
    }
    // With no sink nothing is forwarded and nothing breaks.
    velto_set_log_callback(nullptr);
    veltoForwardLog(GGML_LOG_LEVEL_INFO, "dropped", nullptr);
    velto_set_log_callback(captureLog);
}

TEST(VeltoLog, LibraryMessagesReachTheSink) {
    velto_set_log_callback(captureLog);
    {
        std::lock_guard<std::mutex> lock(logMutex);
        logged.clear();
    }
    velto_unload();
    ASSERT_EQ(velto_load(testmodels::scripted().c_str(), 0), 0);
    velto_unload();
    std::lock_guard<std::mutex> lock(logMutex);
    bool sawLoading = false;
    for (const std::string& line : logged) {
        EXPECT_FALSE(line.empty());
        EXPECT_NE(line[0], '\n');
        sawLoading = sawLoading || line.find("loading model") != std::string::npos;
    }
    EXPECT_TRUE(sawLoading);
}

// Run by the Windows build from a folder without any ggml-cpu*.dll; skipped elsewhere.
TEST(NoBackend, LoadFailsWithAReasonInsteadOfAborting) {
    if (std::getenv("VORNIKA_EXPECT_NO_BACKEND") == nullptr) GTEST_SKIP() << "needs a folder without ggml-cpu";
    EXPECT_EQ(velto_load(testmodels::scripted().c_str(), 1), 1);
    EXPECT_STREQ(velto_last_error(), "no compute backend registered (ggml-cpu library missing)");
    EXPECT_STREQ(velto_backend(), "");
    // Still answers sensibly afterwards, and a retry checks again.
    const float sample = 0.1f;
    EXPECT_EQ(velto_transcribe(&sample, 1, 2), nullptr);
    EXPECT_STREQ(velto_last_error(), "model not loaded");
    EXPECT_EQ(velto_load(testmodels::scripted().c_str(), 0), 1);
}

#ifdef _WIN32
// Only the program's own folder is searched for backends: a DLL named like
// one in the current directory never runs.
TEST_F(Velto, ABackendPlantedInTheCurrentDirectoryIsNeverLoaded) {
    namespace fs = std::filesystem;
    const fs::path planted = fs::path(exeDirectory()).parent_path() / "planted" / "planted-backend.dll";
    ASSERT_TRUE(fs::exists(planted)) << planted.string();
    TempFolder current;
    fs::copy_file(planted, fsPath(current / L"ggml-cpu-planted.dll"));
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(current.path().c_str()));
    const int loaded = velto_load(testmodels::scripted().c_str(), 0);
    SetCurrentDirectoryW(before);
    EXPECT_EQ(loaded, 0) << velto_last_error();
    EXPECT_EQ(GetEnvironmentVariableW(L"VORNIKA_PLANTED_BACKEND_RAN", nullptr, 0), 0u) << "the planted DLL ran";
}
#endif
