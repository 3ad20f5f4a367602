// Models picked in the settings window: whisper files checked and copied,
// checkpoint folders converted, on a thread of their own, stoppable.

#include "model/model_import.h"

#include <filesystem>
#include <future>

#include <gtest/gtest.h>

#include "model/background_import.h"
#include "model/model_info.h"
#include "tests/engine/model_files.h"
#include "tests/model/checkpoint_writer.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string u8(const std::wstring& path) { return utf8Of(fsPath(path)); }

}  // namespace

TEST(ModelImport, EachKindOfPickBecomesTheModelOrLeavesItAlone) {
    TempFolder work;
    const std::string folder = u8(work / L"Модель");
    ASSERT_EQ(writeCheckpointFrom(testmodels::scripted(), folder, {}), "");
    const std::string text = testmodels::writeBytes("notes.bin", {'h', 'i'});
    const std::string target = u8(work / L"ggml-veltostt.bin");
    const struct {
        std::string chosen;
        int exitCode;
        const char* type;  // of the target afterwards
    } cases[] = {
        {text, kConvertBadInput, nullptr},
        {testmodels::scripted(), 0, "f16"},
        {target, 0, "f16"},  // the model in use itself
        {folder + "/config.json", 0, "q8_0"},
        {testmodels::scriptedAs(WeightType::Q5_0), 0, "q5_0"},
        {folder, 0, "q8_0"},
    };
    for (const auto& c : cases) {
        const ConvertOutcome outcome = importModel(c.chosen, target);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.chosen << ": " << outcome.error;
        if (c.type) EXPECT_EQ(weightTypeOfFile(describeModelFile(target).header.ftype), c.type) << c.chosen;
        else EXPECT_FALSE(fs::exists(pathOf(target))) << c.chosen;
        EXPECT_FALSE(fs::exists(pathOf(target + ".part")));
    }
    EXPECT_EQ(modelSourceOf(pathOf(folder)), ModelSource::CheckpointFolder);
}

TEST(ModelImport, RunsInTheBackgroundOneAtATimeAndStops) {
    TempFolder work;
    const std::string folder = u8(work / L"checkpoint"), target = u8(work / L"model.bin");
    ASSERT_EQ(writeCheckpointFrom(testmodels::scripted(), folder, {}), "");
    BackgroundImport import;
    std::vector<int> percents;
    std::promise<ConvertOutcome> finished;
    ASSERT_TRUE(import.start(folder, target, [&](int percent) { percents.push_back(percent); },
                             [&](const ConvertOutcome& outcome) { finished.set_value(outcome); }));
    EXPECT_FALSE(import.start(folder, target, {}, {}));
    EXPECT_EQ(finished.get_future().get().exitCode, 0);
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);

    std::promise<ConvertOutcome> stopped;
    ASSERT_TRUE(import.start(folder, u8(work / L"other.bin"), [&](int) { import.stop(); },
                             [&](const ConvertOutcome& outcome) { stopped.set_value(outcome); }));
    EXPECT_EQ(stopped.get_future().get().exitCode, kConvertStopped);
    EXPECT_FALSE(fs::exists(pathOf(u8(work / L"other.bin"))));
    EXPECT_FALSE(import.running());
}
