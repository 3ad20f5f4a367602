// libFuzzer target for the safetensors table: whatever the bytes, the
// parser returns, and a table it accepts only places tensors inside the
// file's data, in order, without overlap, each as long as its shape needs.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/safetensors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const SafetensorsTable table = parseSafetensorsTable(bytes, size);
    if (!table.error.empty()) {
        if (!table.tensors.empty()) std::abort();
        return 0;
    }
    std::uint64_t previousEnd = 8;
    for (const SafetensorsTensor& tensor : table.tensors) {
        if (tensor.begin < previousEnd || tensor.end > size || tensor.end < tensor.begin ||
            tensor.end - tensor.begin != tensor.elements() * dtypeBytes(tensor.dtype)) {
            std::fprintf(stderr, "safetensors table: tensor \"%s\" misplaced\n", tensor.name.c_str());
            std::abort();
        }
        previousEnd = tensor.end;
    }
    return 0;
}
