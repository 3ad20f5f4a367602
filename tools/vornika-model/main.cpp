// vornika-model: whisper model files for the program from what a user can
// download.
//   vornika-model convert SRC_DIR OUT.bin [--type f16|q8_0|q5_0]   (default q8_0)
//   vornika-model quantize IN.bin OUT.bin q8_0|q5_0
//   vornika-model info MODEL.bin
//   vornika-model download REPO_ID OUT.bin [options]   (download.h; the Windows build)
// Paths in any script. stdout: info's `name value` lines. stderr: progress
// (on a terminal) and what went wrong, naming the file.
// Exit codes: 0 done, 2 bad input, 3 cannot write, 130 stopped by Ctrl+C.
// Never a partial output: a failed or stopped run leaves no OUT.bin.part and
// an existing OUT.bin as it was.

#include <cstdio>
#include <string>
#include <vector>

#include "model/checkpoint_convert.h"
#include "model/model_info.h"
#include "model/requantize.h"
#include "tools/common/console.h"
#include "tools/vornika-model/download.h"

namespace {

int usage() {
    std::fputs("usage: vornika-model convert SRC_DIR OUT.bin [--type f16|q8_0|q5_0]\n"
               "       vornika-model quantize IN.bin OUT.bin q8_0|q5_0\n"
               "       vornika-model info MODEL.bin\n"
               "       vornika-model download REPO_ID OUT.bin [--revision REV] [--type q8_0|q5_0|f16]\n"
               "                              [--hub URL] [--keep-checkpoint DIR]\n",
               stderr);
    return kConvertBadInput;
}

// Percent of the bytes done, redrawn in place on a terminal; false once
// Ctrl+C was pressed, which stops the work between two tensors.
ConvertProgress terminalProgress(const char* what) {
    const bool shown = stderrIsTerminal();
    return [what, shown, last = -1](double share) mutable {
        const int percent = static_cast<int>(share * 100.0);
        if (shown && percent != last) {
            std::fprintf(stderr, "\r%s: %3d%%", what, percent);
            if (percent == 100) std::fputc('\n', stderr);
            last = percent;
        }
        return !interruptRequested();
    };
}

int finish(const ConvertOutcome& outcome) {
    if (outcome.exitCode == kConvertStopped) std::fputs("\nstopped: nothing was written\n", stderr);
    else if (outcome.exitCode != 0) std::fprintf(stderr, "%s\n", outcome.error.c_str());
    return outcome.exitCode;
}

bool readType(const std::string& name, WeightType& type) {
    if (parseWeightType(name, type)) return true;
    if (name == "f32")
        std::fputs("f32 output is not supported: the library's convolutions need F16 kernels\n", stderr);
    else
        std::fprintf(stderr, "unknown type %s (f16, q8_0 or q5_0)\n", name.c_str());
    return false;
}

int convert(const std::vector<std::string>& args) {
    WeightType type = WeightType::Q8_0;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--type" && i + 1 < args.size()) {
            if (!readType(args[++i], type)) return kConvertBadInput;
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) return usage();
    return finish(convertCheckpoint(paths[0], paths[1], type, terminalProgress("converting")));
}

int quantize(const std::vector<std::string>& args) {
    if (args.size() != 3) return usage();
    WeightType type = WeightType::Q8_0;
    if (!readType(args[2], type)) return kConvertBadInput;
    if (type == WeightType::F16) {
        std::fputs("quantize makes q8_0 or q5_0; convert makes f16\n", stderr);
        return kConvertBadInput;
    }
    return finish(requantizeModelFile(args[0], args[1], type, terminalProgress("quantizing")));
}

int info(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage();
    const ModelDescription model = describeModelFile(args[0]);
    if (!model.error.empty()) {
        std::fprintf(stderr, "%s\n", model.error.c_str());
        return kConvertBadInput;
    }
    for (const auto& [name, value] : modelInfoLines(model)) std::printf("%s %s\n", name.c_str(), value.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    useBinaryStdout();
    catchInterrupt();
    const std::vector<std::string> all = utf8Arguments(argc, argv);
    if (all.size() < 2) return usage();
    const std::vector<std::string> args(all.begin() + 2, all.end());
    if (all[1] == "convert") return convert(args);
    if (all[1] == "quantize") return quantize(args);
    if (all[1] == "info") return info(args);
    if (all[1] == "download") return downloadCommand(args);
    return usage();
}
