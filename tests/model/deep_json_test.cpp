// A downloaded checkpoint's JSON nested twenty thousand levels deep is
// refused with what is wrong, on a thread with little stack: nothing walks
// such a value recursively.

#include <pthread.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "model/checkpoint_config.h"
#include "model/safetensors.h"
#include "tests/model/safetensors_writer.h"

namespace {

std::string nestedLists(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

// 256 KiB: plenty for reading a header, far too little for a recursion
// twenty thousand calls deep.
void onSmallStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto run = [](void* job) -> void* {
        (*static_cast<const std::function<void()>*>(job))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

}  // namespace

TEST(UntrustedJson, ValuesNestedTwentyThousandDeepAreRefusedByTheirKind) {
    const std::string deep = nestedLists(20000);
    const auto header = [&](const std::string& entry) {
        const std::string file = safetensorsWithHeader(R"({"t":)" + entry + "}", "");
        return parseSafetensorsTable(file, file.size()).error;
    };
    const struct {
        const char* what;
        std::function<std::string()> error;
        const char* expected;
    } cases[] = {
        {"a dtype", [&] { return header(R"({"dtype":)" + deep + R"(,"shape":[],"data_offsets":[0,0]})"); },
         "unknown dtype a list"},
        {"a dimension", [&] { return header(R"({"dtype":"F32","shape":[)" + deep + R"(],"data_offsets":[0,4]})"); },
         "shape holds a list"},
        {"a config field", [&] { return readCheckpointConfig(R"({"vocab_size":{"a":)" + deep + "}}").error; },
         "config.json: vocab_size is an object"},
        {"the end of text", [&] { return readCheckpointVocabulary(R"({"<|endoftext|>":)" + deep + "}", 10).error; },
         "vocab.json: <|endoftext|> is a list"},
        {"a token's id", [&] { return readCheckpointVocabulary(R"({"a":)" + deep + "}", 10).error; },
         "the id of \"a\" is a list"},
        {"a long string", [&] { return readCheckpointVocabulary(R"({"a":")" + std::string(500, 'x') + "\"}", 10).error; },
         "the id of \"a\" is \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"…"},
    };
    for (const auto& c : cases) {
        std::string error;
        onSmallStack([&] { error = c.error(); });
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
    }
}
