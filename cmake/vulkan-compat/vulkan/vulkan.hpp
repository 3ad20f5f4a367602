// Debian 12's Vulkan headers (1.3.239) predate VK_EXT_layer_settings
// (1.3.261), which ggml's Vulkan backend names when it creates its instance.
// This wrapper, searched before them in the Windows build of the library,
// adds that extension's structures as the newer headers define them (same
// layout and structure type). The setting only matters to the validation
// layer; drivers skip structures they do not know.
#pragma once
#include_next <vulkan/vulkan.hpp>

#ifndef VK_EXT_layer_settings
#include <cstdint>
#include <vector>

namespace vk {

enum class LayerSettingTypeEXT : std::int32_t {
    eBool32 = 0, eInt32 = 1, eInt64 = 2, eUint32 = 3, eUint64 = 4, eFloat32 = 5, eFloat64 = 6, eString = 7,
};

struct LayerSettingEXT {
    LayerSettingEXT(const char* layerName = nullptr, const char* settingName = nullptr,
                    LayerSettingTypeEXT settingType = LayerSettingTypeEXT::eBool32, std::uint32_t count = 0,
                    const void* values = nullptr)
        : pLayerName(layerName), pSettingName(settingName), type(settingType), valueCount(count), pValues(values) {}
    const char* pLayerName;
    const char* pSettingName;
    LayerSettingTypeEXT type;
    std::uint32_t valueCount;
    const void* pValues;
};

struct LayerSettingsCreateInfoEXT {
    explicit LayerSettingsCreateInfoEXT(const std::vector<LayerSettingEXT>& settings)
        : settingCount(static_cast<std::uint32_t>(settings.size())), pSettings(settings.data()) {}
    StructureType sType = static_cast<StructureType>(1000496000);  // VK_STRUCTURE_TYPE_LAYER_SETTINGS_CREATE_INFO_EXT
    const void* pNext = nullptr;
    std::uint32_t settingCount;
    const LayerSettingEXT* pSettings;
};

}  // namespace vk
#endif
