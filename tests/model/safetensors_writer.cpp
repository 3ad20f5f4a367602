#include "tests/model/safetensors_writer.h"

#include <nlohmann/json.hpp>

std::string safetensorsWithHeader(const std::string& header, const std::string& data) {
    std::string file(8, '\0');
    for (int i = 0; i < 8; ++i) file[static_cast<std::size_t>(i)] = static_cast<char>((header.size() >> (8 * i)) & 0xFF);
    return file + header + data;
}

std::string safetensorsFile(const std::vector<WrittenTensor>& tensors, const std::string& metadataJson) {
    nlohmann::ordered_json header = nlohmann::ordered_json::object();
    if (!metadataJson.empty()) header["__metadata__"] = nlohmann::ordered_json::parse(metadataJson);
    std::string data;
    for (const WrittenTensor& tensor : tensors) {
        header[tensor.name] = {{"dtype", tensor.dtype},
                               {"shape", tensor.shape},
                               {"data_offsets", {data.size(), data.size() + tensor.data.size()}}};
        data += tensor.data;
    }
    return safetensorsWithHeader(header.dump(), data);
}
