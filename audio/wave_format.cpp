#include "audio/wave_format.h"

#include <cstring>

namespace {

// GUID {0000000X-0000-0010-8000-00AA00389B71} in memory order, X at byte 0.
constexpr std::uint8_t kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr std::size_t kBasicSize = 16;       // up to wBitsPerSample
constexpr std::size_t kSubFormatOffset = 24; // after cbSize, validBits and channel mask
constexpr std::uint16_t kExtensibleExtra = 22;

}  // namespace

bool readWaveFormat(const std::uint8_t* bytes, std::size_t size, WaveFormatFields& fields) {
    fields = {};
    if (bytes == nullptr || size < kBasicSize) return false;
    fields.formatTag = readLe16(bytes);
    fields.channels = readLe16(bytes + 2);
    fields.samplesPerSec = readLe32(bytes + 4);
    fields.blockAlign = readLe16(bytes + 12);
    fields.bitsPerSample = readLe16(bytes + 14);
    if (size >= 18) fields.cbSize = readLe16(bytes + 16);
    fields.hasSubFormat = fields.formatTag == kWaveFormatExtensible && fields.cbSize >= kExtensibleExtra &&
                          size >= kSubFormatOffset + 16;
    // Only the standard KSDATAFORMAT_SUBTYPE GUIDs name PCM or IEEE float.
    if (fields.hasSubFormat && bytes[kSubFormatOffset + 1] == 0 &&
        std::memcmp(bytes + kSubFormatOffset + 2, kSubtypeTail, 14) == 0) {
        fields.subFormatIsFloat = bytes[kSubFormatOffset] == kWaveFormatIeeeFloat;
        fields.subFormatIsPcm = bytes[kSubFormatOffset] == kWaveFormatPcm;
    }
    return true;
}

PacketFormat packetFormatOf(const WaveFormatFields& fields) {
    PacketFormat format;
    format.isFloat = fields.formatTag == kWaveFormatIeeeFloat ||
                     (fields.formatTag == kWaveFormatExtensible && fields.hasSubFormat && fields.subFormatIsFloat);
    format.bitsPerSample = fields.bitsPerSample;
    format.frameBytes = fields.blockAlign;
    format.channels = fields.channels;
    return format;
}
