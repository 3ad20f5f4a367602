// The graphics-card check's process through the real library: without a
// graphics backend beside the tests it finds no card before it loads any
// model, and its report says so.

#include "engine/gpu_check_child.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "engine/gpu_verdict.h"
#include "engine/velto.h"
#include "tests/engine/model_files.h"
#include "tests/support/temp_folder.h"

TEST(GpuCheckChild, WithoutACardItSaysSoWithoutLoadingTheModel) {
    TempFolder folder;
    const std::wstring reportPath = folder / L"report.txt";
    for (const std::string& model : {testmodels::scripted(), (testmodels::folder() / "missing.bin").string()}) {
        SCOPED_TRACE(model);
        EXPECT_EQ(static_cast<std::uint32_t>(runGpuCheck(model, reportPath)), kGpuCheckNoDevice);
        std::ifstream file(fsPath(reportPath), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(parseGpuCheckReport(fromUtf8(text)).device, L"");
        EXPECT_EQ(judgeGpuCheck({GpuCheckRun::End::Exited, kGpuCheckNoDevice, fromUtf8(text)}, "fp").state,
                  GpuState::NoDevice);
        EXPECT_STREQ(velto_backend(), "") << "no model was loaded";
    }
}
