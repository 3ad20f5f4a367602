#include "tools/common/wav_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}
void putTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::string checkEncoding(const WaveFormatFields& f) {
    const bool extensible = f.formatTag == kWaveFormatExtensible;
    if (f.formatTag != kWaveFormatPcm && f.formatTag != kWaveFormatIeeeFloat && !extensible)
        return "unsupported encoding (format tag " + std::to_string(f.formatTag) + ")";
    if (extensible && f.hasSubFormat && !f.subFormatIsPcm && !f.subFormatIsFloat)
        return "unsupported encoding (extensible sub-format is neither PCM nor float)";
    if (f.channels == 0) return "no channels";
    if (f.samplesPerSec == 0) return "sample rate 0";
    const bool isFloat = f.formatTag == kWaveFormatIeeeFloat || (extensible && f.subFormatIsFloat);
    const int bits = f.bitsPerSample;
    if (isFloat ? (bits != 32 && bits != 64) : (bits != 16 && bits != 24 && bits != 32))
        return "unsupported encoding (" + std::to_string(bits) + "-bit " + (isFloat ? "float" : "integer") + ")";
    if (f.blockAlign < static_cast<unsigned>(f.channels) * (bits / 8))
        return "block size " + std::to_string(f.blockAlign) + " too small for the channels";
    return {};
}

}  // namespace

std::string parseWav(const std::vector<std::uint8_t>& file, WavAudio& audio) {
    audio = WavAudio{};
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 || std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return "not a RIFF/WAVE file";
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= file.size()) {
        const std::uint8_t* chunk = file.data() + pos;
        const std::uint32_t size = readLe32(chunk + 4);
        const std::size_t body = pos + 8;
        const std::size_t available = file.size() - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > available) return "truncated format chunk";
            if (!readWaveFormat(file.data() + body, size, audio.fields)) return "format chunk too short";
            if (std::string fault = checkEncoding(audio.fields); !fault.empty()) return fault;
            audio.format = packetFormatOf(audio.fields);
            audio.rate = audio.fields.samplesPerSec;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return "data before the format chunk";
            if (size > available) return "truncated data chunk";
            audio.frames = size / audio.format.frameBytes;
            audio.data.assign(file.begin() + static_cast<std::ptrdiff_t>(body),
                              file.begin() + static_cast<std::ptrdiff_t>(body + audio.frames * audio.format.frameBytes));
            return {};
        }
        pos = body + size + (size & 1u);  // chunks are padded to even sizes
    }
    return haveFormat ? "no data chunk" : "no format chunk";
}

std::string readWavFile(const std::string& path, WavAudio& audio) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot open " + path;
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseWav(file, audio);
}

bool writeFloatWav(const std::string& path, const std::vector<float>& samples, std::uint32_t rate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 4);
    std::vector<std::uint8_t> out;
    putTag(out, "RIFF");
    put32(out, 4 + 8 + 18 + 8 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 18);
    put16(out, kWaveFormatIeeeFloat);
    put16(out, 1);
    put32(out, rate);
    put32(out, rate * 4);
    put16(out, 4);
    put16(out, 32);
    put16(out, 0);  // cbSize: a non-PCM format carries it
    putTag(out, "data");
    put32(out, dataBytes);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    file.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
    return static_cast<bool>(file);
}
