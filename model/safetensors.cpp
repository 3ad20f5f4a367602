#include "model/safetensors.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

#include <nlohmann/json.hpp>

#include "model/json_value_words.h"

namespace {

using Json = nlohmann::json;

bool dtypeNamed(const std::string& name, TensorDtype& dtype) {
    if (name == "F32") dtype = TensorDtype::F32;
    else if (name == "F16") dtype = TensorDtype::F16;
    else if (name == "BF16") dtype = TensorDtype::BF16;
    else return false;
    return true;
}

// A product that would pass 64 bits is an error, not a wrapped small number.
bool multiply(std::uint64_t a, std::uint64_t b, std::uint64_t& product) {
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) return false;
    product = a * b;
    return true;
}

// One entry of the header; "" when it is sound.
std::string readEntry(const std::string& name, const Json& entry, std::uint64_t dataStart, std::uint64_t dataSize,
                      SafetensorsTensor& tensor) {
    const std::string where = "tensor \"" + name + "\": ";
    if (!entry.is_object()) return where + "not an object";
    const auto dtype = entry.find("dtype");
    const auto shape = entry.find("shape");
    const auto offsets = entry.find("data_offsets");
    if (dtype == entry.end() || shape == entry.end() || offsets == entry.end())
        return where + "dtype, shape or data_offsets missing";
    if (!dtype->is_string() || !dtypeNamed(dtype->get<std::string>(), tensor.dtype))
        return where + "unknown dtype " + jsonValueInWords(*dtype);
    if (!shape->is_array()) return where + "shape is not a list";
    std::uint64_t bytes = dtypeBytes(tensor.dtype);
    for (const Json& dimension : *shape) {
        if (!dimension.is_number_unsigned()) return where + "shape holds " + jsonValueInWords(dimension);
        const auto size = dimension.get<std::uint64_t>();
        tensor.shape.push_back(size);
        if (!multiply(bytes, size, bytes)) return where + "shape too large";
    }
    if (!offsets->is_array() || offsets->size() != 2 || !(*offsets)[0].is_number_unsigned() ||
        !(*offsets)[1].is_number_unsigned())
        return where + "data_offsets is not [begin, end]";
    const auto begin = (*offsets)[0].get<std::uint64_t>();
    const auto end = (*offsets)[1].get<std::uint64_t>();
    if (begin > end || end > dataSize) return where + "data outside the file";
    if (end - begin != bytes) return where + "shape and dtype need " + std::to_string(bytes) + " bytes, data has " +
                                     std::to_string(end - begin);
    tensor.name = name;
    tensor.begin = dataStart + begin;
    tensor.end = dataStart + end;
    return "";
}

// The u64 little-endian at the start; the first 8 bytes must be there.
std::uint64_t headerLength(std::string_view bytes) {
    std::uint64_t length = 0;
    for (int i = 7; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return length;
}

SafetensorsTable failed(std::string error) {
    SafetensorsTable table;
    table.error = std::move(error);
    return table;
}

}  // namespace

std::uint64_t dtypeBytes(TensorDtype dtype) { return dtype == TensorDtype::F32 ? 4 : 2; }

std::uint64_t SafetensorsTensor::elements() const {
    std::uint64_t product = 1;
    for (const std::uint64_t size : shape) product *= size;
    return product;
}

SafetensorsTable parseSafetensorsTable(std::string_view firstBytes, std::uint64_t fileSize) {
    if (firstBytes.size() < 8 || fileSize < 8) return failed("shorter than the header's length");
    const std::uint64_t length = headerLength(firstBytes);
    if (length > fileSize - 8) return failed("header length " + std::to_string(length) + " beyond the file");
    if (length > kLongestSafetensorsHeader) return failed("header of " + std::to_string(length) + " bytes");
    if (firstBytes.size() - 8 < length) return failed("header beyond the bytes read");
    const Json header = Json::parse(firstBytes.substr(8, static_cast<std::size_t>(length)), nullptr, false);
    if (header.is_discarded()) return failed("header is not JSON");
    if (!header.is_object()) return failed("header is not a JSON object");

    SafetensorsTable table;
    const std::uint64_t dataStart = 8 + length;
    const std::uint64_t dataSize = fileSize - dataStart;
    for (const auto& [name, entry] : header.items()) {
        if (name == "__metadata__") continue;  // free-form strings, not a tensor
        SafetensorsTensor tensor;
        if (std::string problem = readEntry(name, entry, dataStart, dataSize, tensor); !problem.empty())
            return failed(std::move(problem));
        table.tensors.push_back(std::move(tensor));
    }
    std::sort(table.tensors.begin(), table.tensors.end(),
              [](const SafetensorsTensor& a, const SafetensorsTensor& b) { return a.begin < b.begin; });
    for (std::size_t i = 1; i < table.tensors.size(); ++i) {
        if (table.tensors[i].begin < table.tensors[i - 1].end)
            return failed("tensors \"" + table.tensors[i - 1].name + "\" and \"" + table.tensors[i].name + "\" overlap");
    }
    return table;
}

SafetensorsTable readSafetensorsTable(const std::string& path) {
    std::ifstream file(std::filesystem::u8path(path), std::ios::binary | std::ios::ate);
    if (!file) return failed("cannot be opened");
    const auto size = static_cast<std::uint64_t>(file.tellg());
    std::string bytes(8, '\0');
    file.seekg(0);
    if (size < 8 || !file.read(bytes.data(), 8)) return failed("shorter than the header's length");
    // A length the file cannot hold is refused by the parser before the header is needed.
    const std::uint64_t length = headerLength(bytes);
    if (length <= size - 8 && length <= kLongestSafetensorsHeader) {
        bytes.resize(8 + static_cast<std::size_t>(length));
        if (!file.read(bytes.data() + 8, static_cast<std::streamsize>(length))) return failed("header cannot be read");
    }
    return parseSafetensorsTable(bytes, size);
}
