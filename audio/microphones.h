#pragma once
// The active capture endpoints as the settings window offers them: ordinary
// microphones first, then headsets, virtual microphones and loopbacks, each
// kind with the warning the user sees.

#include <cstdint>
#include <string>
#include <vector>

enum class MicKind : std::int32_t { Normal = 0, Loopback = 1, Headset = 2, Virtual = 3 };

struct MicDevice {
    std::wstring id;    // IMMDevice::GetId; never empty in a listed device
    std::wstring name;  // the friendly name; may be empty
    MicKind kind = MicKind::Normal;
    bool isDefault = false;  // the default communications capture endpoint

    bool operator==(const MicDevice&) const = default;
};

// Built afresh on every call (COM on the calling thread); sorted.
std::vector<MicDevice> listMicrophones();

// From keywords in the lowercased name; the first keyword found decides.
MicKind classifyMicrophone(const std::wstring& name);
// The same for a name already lowercased.
MicKind classifyLowercaseName(const std::wstring& lowercaseName);
// Lowercases as the system does (Cyrillic included).
std::wstring lowercaseName(const std::wstring& name);

// Stable: by kind rank (Normal, Headset, Virtual, Loopback), the default
// first among equals, otherwise in enumeration order.
void sortMicrophones(std::vector<MicDevice>& devices);

// The user's warning for the device's kind; empty for Normal.
std::wstring warningText(const MicDevice& device);
