#include "ui/settings_form.h"

#include "diag/encoding.h"
#include "model/model_output.h"
#include "settings/setting_fields.h"
#include "ui/interface_script.h"

Rect scaledControlRect(const SettingsControl& control, int dpi) {
    const int x = scaled(control.x, dpi);
    const int y = scaled(control.y, dpi);
    return {x, y, x + scaled(control.width, dpi), y + scaled(control.height, dpi)};
}

Size settingsClientSize(int dpi) { return {scaled(kSettingsClient.width, dpi), scaled(kSettingsClient.height, dpi)}; }

Rect scaledRect(const Rect& units, int dpi) {
    return {scaled(units.left, dpi), scaled(units.top, dpi), scaled(units.right, dpi), scaled(units.bottom, dpi)};
}

int nextPage(int page, bool forward) { return (page + (forward ? 1 : kPageCount - 1)) % kPageCount; }

// The device's own name stays as Windows gives it; our tags follow the
// interface's language.
std::wstring microphoneItemText(const MicDevice& device) {
    std::wstring tags;
    switch (device.kind) {
    case MicKind::Loopback:
        tags += L"   [mikrofon emas!]";
        break;
    case MicKind::Headset:
        tags += L"   [sifat past]";
        break;
    case MicKind::Virtual:
        tags += L"   [virtual]";
        break;
    case MicKind::Normal:
        break;
    }
    if (device.isDefault) tags += L"   (standart)";
    return device.name + shown(tags);
}

std::vector<std::wstring> microphoneItems(const std::vector<MicDevice>& devices) {
    std::vector<std::wstring> items{shown(kSystemDefaultMicItem)};
    for (const MicDevice& device : devices) items.push_back(microphoneItemText(device));
    return items;
}

int microphoneSelection(const std::vector<MicDevice>& devices, const std::wstring& deviceId) {
    if (deviceId.empty()) return 0;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].id == deviceId) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::wstring microphoneWarning(const std::vector<MicDevice>& devices, int selection) {
    if (selection > 0) {
        const auto index = static_cast<std::size_t>(selection - 1);
        return index < devices.size() ? shown(warningText(devices[index])) : std::wstring();
    }
    if (selection == 0) {
        for (const MicDevice& device : devices) {
            if (device.isDefault && device.kind != MicKind::Normal) {
                return shown(L"Tizim standarti: ") + device.name + L"\n" + shown(warningText(device));
            }
        }
    }
    return {};
}

std::uint16_t hotkeyControlValue(std::uint32_t vk, std::uint32_t modifiers) {
    std::uint8_t flags = 0;
    if (modifiers & kModifierControl) flags |= kHotkeyFlagControl;
    if (modifiers & kModifierAlt) flags |= kHotkeyFlagAlt;
    if (modifiers & kModifierShift) flags |= kHotkeyFlagShift;
    return static_cast<std::uint16_t>((flags << 8) | (vk & 0xFF));
}

std::optional<HotkeyChoice> hotkeyFromControlValue(std::uint16_t value) {
    const std::uint32_t key = value & 0xFF;
    const std::uint32_t flags = value >> 8;
    std::uint32_t modifiers = 0;
    if (flags & kHotkeyFlagControl) modifiers |= kModifierControl;
    if (flags & kHotkeyFlagAlt) modifiers |= kModifierAlt;
    if (flags & kHotkeyFlagShift) modifiers |= kModifierShift;
    if (key == 0 || modifiers == 0) return std::nullopt;
    return HotkeyChoice{key, modifiers};
}

FormOutcome settingsFromForm(const Settings& copy, const SettingsForm& form, const std::vector<MicDevice>& devices,
                             KeyNamer keyName) {
    FormOutcome outcome{copy, false};
    Settings& s = outcome.settings;
    if (const auto hotkey = hotkeyFromControlValue(form.hotkey)) {
        s.vk = hotkey->vk;
        s.modifiers = hotkey->modifiers | (form.hotkeyWin ? kModifierWin : 0);
        s.label = keyName(hotkey->vk);
    } else {
        outcome.hotkeyRejected = true;
    }
    const auto device = static_cast<std::size_t>(form.micSelection - 1);
    if (form.micSelection > 0 && device < devices.size()) {
        s.deviceId = devices[device].id;
        s.deviceName = devices[device].name;
    } else {
        s.deviceId.clear();
        s.deviceName.clear();
    }
    s = withFormValues(s, form);
    return outcome;
}

Settings withFormValues(Settings copy, const SettingsForm& form) {
    for (const auto& [key, value] : form.numbers) {
        if (const SettingField* field = findSettingField(key)) readFormNumber(*field, value, copy);
    }
    for (const auto& [key, value] : form.texts) {
        if (const SettingField* field = findSettingField(key)) readFormText(*field, value, copy);
    }
    return copy;
}

std::wstring modelImportFailureText(int exitCode, const std::string& detail) {
    struct Reason {
        const char* clue;  // in the tool's English message
        const wchar_t* text;
    };
    static constexpr Reason kReasons[] = {
        {".safetensors files instead",
         L"Papkada faqat pytorch_model.bin bor. Vornika bu formatni o'qimaydi: uning o'rniga\n"
         L"model.safetensors faylini (yoki barcha .safetensors qismlarini) yuklab oling."},
        {"config.json: cannot be read",
         L"Papkada config.json topilmadi. Hugging Face papkasidagi config.json, vocab.json\n"
         L"va .safetensors fayllarini bitta papkaga yuklab oling."},
        {"config.json", L"Papkadagi config.json whisper modelining sozlamalari emas yoki buzilgan."},
        {"no model.safetensors", L"Papkada model.safetensors fayli topilmadi."},
        {"vocab.json", L"Papkadagi vocab.json fayli yo'q yoki buzilgan."},
        {"not a whisper model file", L"Tanlangan fayl whisper modeli emas."},
        {"all-F32", L"F32 turidagi model fayllari ishlamaydi: f16 yoki q8_0 modelini tanlang."},
    };
    std::wstring reason;
    if (exitCode == kConvertCannotWrite) {
        reason = L"Modelni yozib bo'lmadi. Diskda joy bormi?";
    } else {
        reason = L"Model yaroqsiz: fayllar to'liq yuklanmagan yoki whisper modeli emas.";
        for (const Reason& candidate : kReasons) {
            if (detail.find(candidate.clue) != std::string::npos) {
                reason = candidate.text;
                break;
            }
        }
    }
    return reason + L"\n\nHozirgi model o'zgarmadi.\n\nTafsilot: " + fromUtf8(detail);
}
