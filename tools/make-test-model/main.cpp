// make-test-model: writes whisper-format model files for tests and benchmarks.
//   make-test-model [--preset micro|tiny|base|small|medium] --random OUT
//   make-test-model [--preset micro|tiny|base|small|medium] --script "TEXT" OUT
//   make-test-model [--preset micro|tiny|base|small|medium] --silence OUT
//   make-test-model [--preset micro|tiny|base|small|medium] --script-file FILE OUT
// --script-file reads the UTF-8 text from a file (Windows command lines are
// not UTF-8). --type f16|q8_0|q5_0 (f16 unless given) quantizes the weights
// with the whisper library's own quantizer.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/testmodel/test_model.h"

namespace {

int usage() {
    std::fputs("usage: make-test-model [--preset micro|tiny|base|small|medium] [--type f16|q8_0|q5_0] "
               "(--random | --script TEXT | --script-file FILE | --silence) OUT\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string preset = "micro", mode, script, out;
    WeightType type = WeightType::F16;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--preset" && i + 1 < argc) {
            preset = argv[++i];
        } else if (arg == "--type" && i + 1 < argc) {
            if (!parseWeightType(argv[++i], type)) {
                std::fprintf(stderr, "unknown type: %s\n", argv[i]);
                return 2;
            }
        } else if (arg == "--random" || arg == "--silence") {
            mode = arg;
        } else if (arg == "--script" && i + 1 < argc) {
            mode = arg;
            script = argv[++i];
        } else if (arg == "--script-file" && i + 1 < argc) {
            mode = "--script";
            std::ifstream in(argv[++i], std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "make-test-model: cannot read %s\n", argv[i]);
                return 2;
            }
            script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else if (!arg.empty() && arg[0] != '-' && out.empty()) {
            out = arg;
        } else {
            return usage();
        }
    }
    ModelHeader header;
    if (mode.empty() || out.empty()) return usage();
    if (!presetHeader(preset, header)) {
        std::fprintf(stderr, "unknown preset: %s\n", preset.c_str());
        return 2;
    }
    const std::string error = writeModelAs(out, type, [&](const std::string& path) {
        if (mode == "--random") return writeRandomModel(path, header);
        if (mode == "--silence") return writeSilenceModel(path, header);
        return writeScriptedModel(path, header, script);
    });
    if (!error.empty()) {
        std::fprintf(stderr, "make-test-model: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
