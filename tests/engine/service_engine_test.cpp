// The transcription service over the real engine and scripted models: what a
// dictation gets back, exactly, including the failures a user can meet.

#include <cmath>
#include <future>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log.h"
#include "engine/model_location.h"
#include "engine/transcription_service.h"
#include "tests/engine/model_files.h"
#include "tests/support/temp_folder.h"
#include "tools/testmodel/test_model.h"

namespace {

std::vector<float> speechLikeTake() {
    std::vector<float> samples(24000);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = 0.3f * std::sin(static_cast<float>(i) * 0.07f);
    return samples;
}

class EngineService : public ::testing::Test {
protected:
    void SetUp() override { initLogIn(logFolder.path()); }

    TranscribeResult transcribe(const std::wstring& model) {
        // Two threads: the text does not depend on the count, the test's time does.
        TranscriptionService service({[model] { return fileExists(model) ? model : std::wstring(); }, nullptr, 2, &veltoEngine()});
        std::promise<TranscribeResult> delivered;
        service.submit(speechLikeTake(), [&](TranscribeResult result) { delivered.set_value(std::move(result)); });
        return delivered.get_future().get();
    }

    std::string log() { return readFile(logFilePath()); }

    TempFolder logFolder;
};

std::wstring wide(const std::string& path) { return widePath(std::filesystem::path(path)); }

}  // namespace

TEST_F(EngineService, ScriptedModelGivesItsExactText) {
    const TranscribeResult result = transcribe(wide(testmodels::scripted()));
    EXPECT_EQ(result.error, L"");
    EXPECT_EQ(result.text, fromUtf8(testmodels::kSentence));
    EXPECT_GT(result.seconds, 0.0);
    const std::string lines = log();
    EXPECT_NE(lines.find(" model yuklandi: CPU, "), std::string::npos) << lines;
    EXPECT_NE(lines.find(" isitish tugadi: "), std::string::npos);
    EXPECT_NE(lines.find(" whisper: "), std::string::npos) << "the library's own messages reach the log";
}

TEST_F(EngineService, NothingRecognisableIsAnEmptyTextNotAnError) {
    const std::string blanks = (testmodels::folder() / "blanks.bin").string();
    ModelHeader header;
    ASSERT_TRUE(presetHeader("micro", header));
    ASSERT_EQ(writeScriptedModel(blanks, header, " \n\t\r\n "), "");
    for (const std::string& model : {blanks, testmodels::silence()}) {
        const TranscribeResult result = transcribe(wide(model));
        EXPECT_EQ(result.error, L"") << model;
        EXPECT_EQ(result.text, L"") << model;
    }
}

TEST_F(EngineService, MissingAndCorruptModels) {
    const TranscribeResult missing = transcribe(wide((testmodels::folder() / "absent.bin").string()));
    EXPECT_EQ(missing.error, L"Model fayli topilmadi. Ilovani qayta o'rnating.");

    const std::string corrupt = testmodels::writeBytes("corrupt.bin", {'l', 'm', 'g', 'g', 1, 2});
    const TranscribeResult broken = transcribe(wide(corrupt));
    EXPECT_EQ(broken.error, L"Model yuklanmadi. Fayl buzilgan bo'lishi mumkin \u2014\nilovani qayta o'rnating.");
    EXPECT_EQ(broken.text, L"");
    EXPECT_EQ(broken.seconds, 0.0);
    const std::string lines = log();
    EXPECT_NE(lines.find(" XATO: model fayli topilmadi\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find(" GPU'da yuklanmadi (invalid model file: header truncated) \xE2\x80\x94 CPU'ga o'tilmoqda\r\n"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find(" XATO: velto_load = 1 (invalid model file: header truncated)\r\n"), std::string::npos);
}

TEST(ServiceInstance, OnePerProcessCreatedOnce) {
    std::vector<TranscriptionService*> seen(4, nullptr);
    std::vector<std::thread> callers;
    for (auto& slot : seen) callers.emplace_back([&slot] { slot = &TranscriptionService::instance(); });
    for (std::thread& caller : callers) caller.join();
    for (TranscriptionService* service : seen) EXPECT_EQ(service, seen[0]);
    // Works like any other; destroyed (stopped and joined) when the process ends.
    std::promise<TranscribeResult> delivered;
    TranscriptionService::instance().submit({}, [&](TranscribeResult result) { delivered.set_value(std::move(result)); });
    std::future<TranscribeResult> got = delivered.get_future();
    ASSERT_EQ(got.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(got.get().error, L"Ovoz yozilmadi");
}
