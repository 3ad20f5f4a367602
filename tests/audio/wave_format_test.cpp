#include <gtest/gtest.h>

#include <vector>

#include "audio/wave_format.h"

namespace {

// A WAVEFORMATEX (18 bytes) optionally followed by the extensible part.
std::vector<std::uint8_t> waveFormat(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits,
                                     std::uint16_t cbSize, int subFormat = -1) {
    std::vector<std::uint8_t> b;
    auto put16 = [&](std::uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); };
    auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    put16(tag);
    put16(channels);
    put32(48000);
    put32(48000u * channels * bits / 8);
    put16(static_cast<std::uint16_t>(channels * bits / 8));
    put16(bits);
    put16(cbSize);
    if (subFormat >= 0) {
        put16(bits);   // valid bits
        put32(3);      // channel mask
        const std::uint8_t guid[16] = {static_cast<std::uint8_t>(subFormat), 0, 0, 0, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        b.insert(b.end(), guid, guid + 16);
    }
    return b;
}

PacketFormat formatOf(const std::vector<std::uint8_t>& bytes) {
    WaveFormatFields fields;
    EXPECT_TRUE(readWaveFormat(bytes.data(), bytes.size(), fields));
    return packetFormatOf(fields);
}

}  // namespace

TEST(WaveFormat, FloatOnlyForIeeeTagOrExtensibleFloatWithFullCbSize) {
    EXPECT_TRUE(formatOf(waveFormat(kWaveFormatIeeeFloat, 2, 32, 0)).isFloat);
    EXPECT_TRUE(formatOf(waveFormat(kWaveFormatExtensible, 2, 32, 22, 3)).isFloat);
    EXPECT_FALSE(formatOf(waveFormat(kWaveFormatExtensible, 2, 32, 22, 1)).isFloat);
    // A short cbSize makes it integer PCM whatever the sub-format bytes say.
    EXPECT_FALSE(formatOf(waveFormat(kWaveFormatExtensible, 2, 32, 21, 3)).isFloat);
    EXPECT_FALSE(formatOf(waveFormat(kWaveFormatExtensible, 2, 32, 0)).isFloat);
    EXPECT_FALSE(formatOf(waveFormat(kWaveFormatPcm, 1, 16, 0)).isFloat);
}

TEST(WaveFormat, FieldsComeFromTheRecord) {
    const PacketFormat f = formatOf(waveFormat(kWaveFormatExtensible, 6, 24, 22, 1));
    EXPECT_EQ(f.channels, 6);
    EXPECT_EQ(f.bitsPerSample, 24);
    EXPECT_EQ(f.frameBytes, 18);
    // A plain 16-byte PCMWAVEFORMAT without cbSize is still readable.
    auto plain = waveFormat(kWaveFormatPcm, 1, 16, 0);
    plain.resize(16);
    WaveFormatFields fields;
    ASSERT_TRUE(readWaveFormat(plain.data(), plain.size(), fields));
    EXPECT_EQ(fields.samplesPerSec, 48000u);
    EXPECT_EQ(fields.cbSize, 0);
    EXPECT_FALSE(readWaveFormat(plain.data(), 15, fields));
    // The extensible part claimed but cut off: no sub-format, so not float.
    auto cut = waveFormat(kWaveFormatExtensible, 2, 32, 22, 3);
    cut.resize(30);
    ASSERT_TRUE(readWaveFormat(cut.data(), cut.size(), fields));
    EXPECT_FALSE(packetFormatOf(fields).isFloat);
}
