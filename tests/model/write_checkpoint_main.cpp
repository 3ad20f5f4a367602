// write-test-checkpoint: a Hugging Face checkpoint folder made from a
// whisper model file, for the command-line tests of the model tool.
//   write-test-checkpoint MODEL.bin FOLDER [f32|f16|bf16] [SHARDS]

#include <cstdio>
#include <string>

#include "tests/model/checkpoint_writer.h"
#include "tools/common/console.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = utf8Arguments(argc, argv);
    if (args.size() < 3) {
        std::fputs("usage: write-test-checkpoint MODEL.bin FOLDER [f32|f16|bf16] [SHARDS]\n", stderr);
        return 2;
    }
    CheckpointShape shape;
    if (args.size() > 3) shape.dtype = args[3] == "f16" ? TensorDtype::F16 : args[3] == "bf16" ? TensorDtype::BF16 : TensorDtype::F32;
    if (args.size() > 4) shape.shards = std::stoi(args[4]);
    const std::string error = writeCheckpointFrom(args[1], args[2], shape);
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    return error.empty() ? 0 : 1;
}
