// The safetensors table: a sound file read back as written, and every way a
// header can lie about the file refused with what is wrong.

#include "model/safetensors.h"

#include <gtest/gtest.h>

#include "diag/encoding.h"
#include "tests/model/safetensors_writer.h"
#include "tests/support/temp_folder.h"

namespace {

std::string bytes(std::size_t count) { return std::string(count, '\x5A'); }

}  // namespace

TEST(Safetensors, ASoundFileIsReadInDataOrderWithItsPlaces) {
    const std::string file = safetensorsFile(
        {{"model.decoder.layer_norm.weight", "F32", {4}, bytes(16)},
         {"model.encoder.conv1.weight", "BF16", {2, 3, 1}, bytes(12)},
         {"model.encoder.conv1.bias", "F16", {2}, bytes(4)},
         {"scalar", "F32", {}, bytes(4)}},
        R"({"format":"pt"})");
    const SafetensorsTable table = parseSafetensorsTable(file, file.size());
    ASSERT_EQ(table.error, "");
    ASSERT_EQ(table.tensors.size(), 4u);
    const std::uint64_t dataStart = file.size() - 36;
    EXPECT_EQ(table.tensors[0].name, "model.decoder.layer_norm.weight");
    EXPECT_EQ(table.tensors[0].begin, dataStart);
    EXPECT_EQ(table.tensors[1].dtype, TensorDtype::BF16);
    EXPECT_EQ(table.tensors[1].shape, (std::vector<std::uint64_t>{2, 3, 1}));
    EXPECT_EQ(table.tensors[1].elements(), 6u);
    EXPECT_EQ(table.tensors[2].end, dataStart + 32);
    EXPECT_EQ(table.tensors[3].elements(), 1u);
    EXPECT_EQ(table.tensors[3].end, file.size());

    TempFolder folder;
    const std::wstring path = folder / L"\u043C\u043E\u0434\u0435\u043B\u044C.safetensors";  // a Cyrillic name
    ASSERT_TRUE(writeFile(path, file));
    const SafetensorsTable fromFile = readSafetensorsTable(toUtf8(path));
    EXPECT_EQ(fromFile.error, "");
    EXPECT_EQ(fromFile.tensors.size(), 4u);
}

TEST(Safetensors, EveryHeaderThatLiesAboutTheFileIsRefused) {
    const auto one = [](const std::string& entry, std::size_t dataBytes = 8) {
        return safetensorsWithHeader(R"({"t":)" + entry + "}", bytes(dataBytes));
    };
    std::string huge(8, '\xFF');
    const struct {
        const char* what;
        std::string file;
        const char* error;
    } cases[] = {
        {"four bytes", "abcd", "shorter than the header's length"},
        {"a header longer than the file", huge + "{}", "beyond the file"},
        {"not JSON", safetensorsWithHeader("{\"t\": [", ""), "header is not JSON"},
        {"a list", safetensorsWithHeader("[1,2]", ""), "header is not a JSON object"},
        {"an entry that is not an object", one("7"), "tensor \"t\": not an object"},
        {"no offsets", one(R"({"dtype":"F32","shape":[2]})"), "dtype, shape or data_offsets missing"},
        {"an unknown dtype", one(R"({"dtype":"I64","shape":[1],"data_offsets":[0,8]})"), "unknown dtype \"I64\""},
        {"a negative dimension", one(R"({"dtype":"F32","shape":[-2],"data_offsets":[0,8]})"), "shape holds -2"},
        {"a shape past 64 bits", one(R"({"dtype":"F32","shape":[4294967296,4294967296],"data_offsets":[0,8]})"),
         "shape too large"},
        {"one offset", one(R"({"dtype":"F32","shape":[2],"data_offsets":[8]})"), "not [begin, end]"},
        {"data past the end", one(R"({"dtype":"F32","shape":[4],"data_offsets":[0,16]})"), "data outside the file"},
        {"begin after end", one(R"({"dtype":"F32","shape":[0],"data_offsets":[8,4]})"), "data outside the file"},
        {"fewer bytes than the shape", one(R"({"dtype":"F16","shape":[3],"data_offsets":[0,8]})"),
         "shape and dtype need 6 bytes, data has 8"},
        {"two tensors on the same bytes",
         safetensorsWithHeader(R"({"a":{"dtype":"F32","shape":[2],"data_offsets":[0,8]},)"
                               R"("b":{"dtype":"F16","shape":[2],"data_offsets":[4,8]}})",
                               bytes(8)),
         "tensors \"a\" and \"b\" overlap"},
    };
    for (const auto& c : cases) {
        const SafetensorsTable table = parseSafetensorsTable(c.file, c.file.size());
        EXPECT_NE(table.error.find(c.error), std::string::npos) << c.what << ": " << table.error;
        EXPECT_TRUE(table.tensors.empty()) << c.what;
    }
    // The length claims a header the bytes read so far do not hold.
    const std::string cut = safetensorsWithHeader("{}", "").substr(0, 9);
    EXPECT_EQ(parseSafetensorsTable(cut, 100).error, "header beyond the bytes read");
}
