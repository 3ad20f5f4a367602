#include "tests/engine/model_files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "tools/testmodel/test_model.h"

namespace testmodels {

namespace {

struct Folder {
    std::filesystem::path path;
    Folder() {
        std::random_device rd;
        path = std::filesystem::temp_directory_path() / ("vornika-test-" + std::to_string(rd()));
        std::filesystem::create_directories(path);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string make(const std::string& name, const std::function<std::string(const std::string&, const ModelHeader&)>& write) {
    const std::string path = (folder() / name).string();
    if (!std::filesystem::exists(path)) {
        ModelHeader header;
        presetHeader("micro", header);
        const std::string error = write(path, header);
        if (!error.empty()) throw std::runtime_error(error);
    }
    return path;
}

}  // namespace

std::filesystem::path folder() {
    static Folder f;
    return f.path;
}

std::string scripted() {
    return make("scripted.bin", [](const std::string& p, const ModelHeader& h) { return writeScriptedModel(p, h, kSentence); });
}

std::string scriptedAs(WeightType type) {
    return make(std::string("scripted-") + weightTypeName(type) + ".bin", [type](const std::string& p, const ModelHeader& h) {
        return writeModelAs(p, type, [&h](const std::string& f16) { return writeScriptedModel(f16, h, kSentence); });
    });
}

std::string silence() {
    return make("silence.bin", [](const std::string& p, const ModelHeader& h) { return writeSilenceModel(p, h); });
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = (folder() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace testmodels
