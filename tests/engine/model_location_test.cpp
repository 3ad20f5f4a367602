#include "engine/model_location.h"

#include <filesystem>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "tests/engine/service_fixture.h"

namespace {

const std::wstring kSep(1, kPathSeparator);

std::wstring inModels(const std::wstring& folder) { return folder + kSep + L"models" + kSep + kModelFileName; }
std::wstring beside(const std::wstring& folder) { return folder + kSep + kModelFileName; }

}  // namespace

TEST(ModelLocation, CandidatesInOrder) {
    const auto candidates = modelCandidates(L"E", L"L");
    EXPECT_EQ(candidates[0], inModels(L"E"));
    EXPECT_EQ(candidates[1], beside(L"E"));
    EXPECT_EQ(candidates[2], inModels(L"L"));
    const auto noExe = modelCandidates(L"", L"L");
    EXPECT_EQ(noExe[0], L"");
    EXPECT_EQ(noExe[1], L"");
    EXPECT_EQ(noExe[2], inModels(L"L"));
}

TEST(ModelLocation, FirstExistingFileWins) {
    TempFolder temp;
    const std::wstring exe = temp / L"app", local = temp / L"local";
    EXPECT_EQ(findModelFileIn(exe, local), L"");

    ASSERT_TRUE(writeFile(inModels(local), "m"));
    EXPECT_EQ(findModelFileIn(exe, local), inModels(local));  // only the local folder has it
    EXPECT_EQ(findModelFileIn(L"", local), inModels(local));

    ASSERT_TRUE(writeFile(beside(exe), "m"));
    EXPECT_EQ(findModelFileIn(exe, local), beside(exe));

    ASSERT_TRUE(writeFile(inModels(exe), "m"));
    EXPECT_EQ(findModelFileIn(exe, local), inModels(exe));  // models beats beside
}

TEST(ModelLocation, AFolderNamedLikeTheModelDoesNotCount) {
    TempFolder temp;
    const std::wstring exe = temp / L"app";
    std::filesystem::create_directories(fsPath(inModels(exe)));
    std::filesystem::create_directories(fsPath(beside(exe)));
    EXPECT_EQ(findModelFileIn(exe, L""), L"");
    ASSERT_TRUE(writeFile(inModels(temp / L"local"), "m"));
    EXPECT_EQ(findModelFileIn(exe, temp / L"local"), inModels(temp / L"local"));
}

// A folder that cannot be made (a file has its name) or a part file that
// cannot be written (a folder has its name) takes a candidate out.
TEST(ModelLocation, APickedModelGoesToTheFirstWritablePlaceThatWouldBeFound) {
    TempFolder temp;
    const std::wstring exe = temp / L"app", local = temp / L"local";
    EXPECT_EQ(writableModelTargetIn(exe, local), inModels(exe));
    EXPECT_FALSE(std::filesystem::exists(fsPath(inModels(exe) + L".part")));

    std::filesystem::remove_all(fsPath(exe + kSep + L"models"));  // made by the first call
    ASSERT_TRUE(writeFile(exe + kSep + L"models", "not a folder"));
    EXPECT_EQ(writableModelTargetIn(exe, local), beside(exe));
    std::filesystem::create_directories(fsPath(beside(exe) + L".part"));
    EXPECT_EQ(writableModelTargetIn(exe, local), inModels(local));
    // With the model in use beside the program, the local folder's file would
    // never be found.
    ASSERT_TRUE(writeFile(beside(exe), "m"));
    EXPECT_EQ(writableModelTargetIn(exe, local), L"");
}

TEST_F(ServiceTest, MissingModelIsReportedUntilItAppears) {
    const std::wstring install = folder / L"empty-install";
    Collected got;
    TranscriptionService service({[install] { return findModelFileIn(install, L""); }, &clock, 0, &fakeengine::engine()});
    service.submit(std::vector<float>(kRecognitionRate, 0.1f), got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    EXPECT_EQ(got.results[0].error, L"Model fayli topilmadi. Ilovani qayta o'rnating.");
    EXPECT_EQ(logCount(L"XATO: model fayli topilmadi"), 1u);
    EXPECT_TRUE(fakeengine::calls().loadPaths.empty());

    // Placed while the program runs: found by the next job, no restart.
    ASSERT_TRUE(writeFile(beside(install), "m"));
    service.submit(std::vector<float>(kRecognitionRate, 0.1f), got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 2; }));
    EXPECT_EQ(got.results[1].error, L"");
    EXPECT_EQ(got.results[1].text, L"Salom dunyo");
    EXPECT_EQ(fakeengine::calls().loadPaths.at(0), toUtf8(beside(install)));
}

TEST_F(ServiceTest, CyrillicInstallFolder) {
    const std::wstring install = folder / L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B Vornika";
    ASSERT_TRUE(writeFile(inModels(install), "m"));
    const TranscribeResult result =
        transcribeOnce(std::vector<float>(kRecognitionRate, 0.1f), {[install] { return findModelFileIn(install, L""); }, &clock, 0, &fakeengine::engine()});
#ifdef _WIN32
    // The engine gets the short ASCII form; the log shows the full path.
    ASSERT_EQ(result.error, L"");
    const std::string handed = fakeengine::calls().loadPaths.at(0);
    EXPECT_TRUE(isAsciiText(fromUtf8(handed))) << handed;
    EXPECT_EQ(handed, toAsciiPath(inModels(install)));
    EXPECT_EQ(logCount(L"model yuklanmoqda: " + inModels(install) + L" (GPU)"), 1u);
#else
    // A volume without short names.
    EXPECT_EQ(result.error,
              L"Model yo'lida qo'llab-quvvatlanmaydigan belgilar bor.\nIlovani lotin harfli papkaga o'rnating.");
    EXPECT_EQ(logCount(L"XATO: model yo'li C uchun tayyorlanmadi: " + inModels(install)), 1u);
    EXPECT_TRUE(fakeengine::calls().loadPaths.empty());
#endif
}

TEST_F(ServiceTest, DeletingTheLoadedModelMattersOnlyAtTheNextLoad) {
    Collected got;
    TranscriptionService service(surroundings());
    service.submit(std::vector<float>(kRecognitionRate, 0.1f), got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 1; }));
    std::filesystem::remove(fsPath(modelPath()));
    service.submit(std::vector<float>(kRecognitionRate, 0.1f), got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 2; }));
    EXPECT_EQ(got.results[1].error, L"");
    service.unloadSoon();
    clock.advance(std::chrono::seconds(10));
    ASSERT_TRUE(eventually([&] { return !service.modelIsLoaded(); }));
    service.submit(std::vector<float>(kRecognitionRate, 0.1f), got.callback());
    ASSERT_TRUE(eventually([&] { return got.count() == 3; }));
    EXPECT_EQ(got.results[2].error, L"Model fayli topilmadi. Ilovani qayta o'rnating.");
}
