#pragma once
// Reading a WAVEFORMATEX / WAVEFORMATEXTENSIBLE as stored in memory or in a
// WAV file's "fmt " chunk (both are the same little-endian bytes).

#include <cstddef>
#include <cstdint>

#include "audio/sample_convert.h"

inline constexpr std::uint16_t kWaveFormatPcm = 1;
inline constexpr std::uint16_t kWaveFormatIeeeFloat = 3;
inline constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

struct WaveFormatFields {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t cbSize = 0;               // 0 when the bytes end before it
    bool hasSubFormat = false;              // extensible with cbSize >= 22 and the bytes present
    bool subFormatIsFloat = false;          // KSDATAFORMAT_SUBTYPE_IEEE_FLOAT
    bool subFormatIsPcm = false;            // KSDATAFORMAT_SUBTYPE_PCM
};

// Little-endian fields of RIFF/WAVE records.
inline std::uint16_t readLe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t readLe32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// Fills the fields from `size` bytes; false when fewer than the 16 bytes of the
// basic record are there.
bool readWaveFormat(const std::uint8_t* bytes, std::size_t size, WaveFormatFields& fields);

// The packet layout the converter needs. Float only for IEEE_FLOAT, or for an
// extensible format whose cbSize covers the sub-format and names IEEE float.
PacketFormat packetFormatOf(const WaveFormatFields& fields);
