#include <gtest/gtest.h>

#include <cstring>

#include "tools/common/recorder_path.h"
#include "tools/common/wav_file.h"

namespace {

struct WavBuilder {
    std::uint16_t tag = kWaveFormatPcm;
    std::uint16_t channels = 1;
    std::uint32_t rate = 16000;
    std::uint16_t bits = 16;
    std::uint16_t blockAlign = 0;  // 0: channels * bits / 8
    int subFormat = -1;            // extensible sub-format tag, -1 for none
    std::vector<std::uint8_t> data;
    bool listChunkFirst = false;

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> b;
        auto tagOf = [&](const char* t) { b.insert(b.end(), t, t + 4); };
        auto put16 = [&](std::uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); };
        auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
        const std::uint16_t align = blockAlign ? blockAlign : static_cast<std::uint16_t>(channels * bits / 8);
        tagOf("RIFF");
        put32(0);
        tagOf("WAVE");
        if (listChunkFirst) {
            tagOf("LIST");
            put32(3);
            b.insert(b.end(), {'a', 'b', 'c', 0});  // odd size plus pad byte
        }
        tagOf("fmt ");
        put32(subFormat >= 0 ? 40 : 16);
        put16(tag);
        put16(channels);
        put32(rate);
        put32(rate * align);
        put16(align);
        put16(bits);
        if (subFormat >= 0) {
            put16(22);
            put16(bits);
            put32(0);
            const std::uint8_t guid[16] = {static_cast<std::uint8_t>(subFormat), 0, 0, 0, 0, 0, 0x10, 0,
                                           0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
            b.insert(b.end(), guid, guid + 16);
        }
        tagOf("data");
        put32(static_cast<std::uint32_t>(data.size()));
        b.insert(b.end(), data.begin(), data.end());
        const auto riffSize = static_cast<std::uint32_t>(b.size() - 8);
        std::memcpy(&b[4], &riffSize, 4);
        return b;
    }
};

std::string parse(const WavBuilder& w, WavAudio& audio) { return parseWav(w.build(), audio); }

std::vector<std::uint8_t> floatBytes(const std::vector<float>& v) {
    std::vector<std::uint8_t> out(v.size() * 4);
    std::memcpy(out.data(), v.data(), out.size());
    return out;
}

}  // namespace

TEST(WavFile, AcceptsTheSupportedEncodings) {
    WavAudio audio;
    WavBuilder w;
    w.data.assign(8, 0);
    EXPECT_EQ(parse(w, audio), "");
    EXPECT_EQ(audio.frames, 4u);

    w.bits = 24;
    w.data.assign(9, 0);
    w.listChunkFirst = true;
    EXPECT_EQ(parse(w, audio), "");
    EXPECT_EQ(audio.frames, 3u);

    w = WavBuilder{};
    w.tag = kWaveFormatIeeeFloat;
    w.bits = 64;
    w.channels = 3;
    w.data.assign(48, 0);
    EXPECT_EQ(parse(w, audio), "");
    EXPECT_TRUE(audio.format.isFloat);
    EXPECT_EQ(audio.frames, 2u);

    w = WavBuilder{};
    w.tag = kWaveFormatExtensible;
    w.subFormat = kWaveFormatIeeeFloat;
    w.bits = 32;
    w.channels = 2;
    w.rate = 44100;
    w.data.assign(16, 0);
    EXPECT_EQ(parse(w, audio), "");
    EXPECT_TRUE(audio.format.isFloat);
    EXPECT_EQ(audio.rate, 44100u);
}

TEST(WavFile, RejectsWhatCannotBeRead) {
    WavAudio audio;
    EXPECT_EQ(parseWav({'n', 'o', 'p', 'e'}, audio), "not a RIFF/WAVE file");

    WavBuilder eight;
    eight.bits = 8;
    eight.data.assign(4, 128);
    EXPECT_NE(parse(eight, audio).find("8-bit integer"), std::string::npos);

    WavBuilder noChannels;
    noChannels.channels = 0;
    noChannels.blockAlign = 2;
    EXPECT_EQ(parse(noChannels, audio), "no channels");

    WavBuilder adpcm;
    adpcm.tag = 2;
    EXPECT_NE(parse(adpcm, audio).find("format tag 2"), std::string::npos);

    WavBuilder otherSub;
    otherSub.tag = kWaveFormatExtensible;
    otherSub.subFormat = 2;
    EXPECT_NE(parse(otherSub, audio).find("sub-format"), std::string::npos);

    WavBuilder float16;
    float16.tag = kWaveFormatIeeeFloat;
    EXPECT_NE(parse(float16, audio).find("16-bit float"), std::string::npos);

    WavBuilder narrowBlock;
    narrowBlock.channels = 2;
    narrowBlock.blockAlign = 2;
    EXPECT_NE(parse(narrowBlock, audio).find("block size"), std::string::npos);

    WavBuilder truncated;
    truncated.data.assign(100, 0);
    auto bytes = truncated.build();
    bytes.resize(bytes.size() - 10);
    EXPECT_EQ(parseWav(bytes, audio), "truncated data chunk");
    bytes.resize(30);
    EXPECT_EQ(parseWav(bytes, audio), "truncated format chunk");
}

TEST(RecorderPath, PacketsOfATenthOfTheRateWithAShorterLastOne) {
    EXPECT_EQ(packetFrames(48000), 480u);
    EXPECT_EQ(packetFrames(44100), 441u);
    EXPECT_EQ(packetFrames(22050), 220u);
    EXPECT_EQ(packetFrames(50), 1u);

    // 44.1 kHz: each full packet gives 160 samples; windows restart per packet.
    WavBuilder w;
    w.tag = kWaveFormatIeeeFloat;
    w.bits = 32;
    w.rate = 44100;
    std::vector<float> ramp(441 * 2 + 12);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i % 441);
    w.data = floatBytes(ramp);
    WavAudio audio;
    ASSERT_EQ(parse(w, audio), "");
    const std::vector<float> take = convertLikeRecorder(audio);
    ASSERT_EQ(take.size(), 160u + 160u + 4u);
    EXPECT_FLOAT_EQ(take[0], 1.0f);    // mean of 0,1,2
    EXPECT_FLOAT_EQ(take[160], 1.0f);  // the second packet starts its own phase
    EXPECT_FLOAT_EQ(take[323], 9.5f);  // the short last packet: samples 8..11
}
