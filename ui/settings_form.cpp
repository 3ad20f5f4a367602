#include "ui/settings_form.h"

#include "diag/encoding.h"
#include "settings/settings_text.h"

Rect scaledControlRect(const SettingsControl& control, int dpi) {
    const int x = scaled(control.x, dpi);
    const int y = scaled(control.y, dpi);
    return {x, y, x + scaled(control.width, dpi), y + scaled(control.height, dpi)};
}

namespace {

// A combo box of three choices: its selection, or the first for none (-1) or one out of range.
int choiceOfThree(int selection) { return selection >= 0 && selection <= 2 ? selection : 0; }

}  // namespace

Size settingsClientSize(int dpi) { return {scaled(774, dpi), scaled(562, dpi)}; }

std::wstring microphoneItemText(const MicDevice& device) {
    std::wstring text = device.name;
    switch (device.kind) {
    case MicKind::Loopback:
        text += L"   [mikrofon emas!]";
        break;
    case MicKind::Headset:
        text += L"   [sifat past]";
        break;
    case MicKind::Virtual:
        text += L"   [virtual]";
        break;
    case MicKind::Normal:
        break;
    }
    if (device.isDefault) text += L"   (standart)";
    return text;
}

std::vector<std::wstring> microphoneItems(const std::vector<MicDevice>& devices) {
    std::vector<std::wstring> items{kSystemDefaultMicItem};
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
        return index < devices.size() ? warningText(devices[index]) : std::wstring();
    }
    if (selection == 0) {
        for (const MicDevice& device : devices) {
            if (device.isDefault && device.kind != MicKind::Normal) {
                return L"Tizim standarti: " + device.name + L"\n" + warningText(device);
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
    s.insertMode = form.modeSelection == 1 ? InsertMode::Type : InsertMode::Paste;
    s.autoStart = form.autoStart;
    s.useGpu = form.useGpu;
    s = withTextChoices(s, form);
    s.hotkeyMode = static_cast<HotkeyMode>(choiceOfThree(form.hotkeyModeSelection));
    s.cancelKey = form.cancelKey;
    s.sounds = form.sounds;
    s.history = form.history;
    s.vocabulary = vocabularyFromField(form.vocabulary);
    return outcome;
}

std::wstring vocabularyFromField(const std::wstring& field) {
    const std::wstring line = oneLineValue(field);
    const auto isEdge = [](wchar_t c) { return c == L' ' || c == L',' || c == L'\t'; };
    std::size_t first = 0, last = line.size();
    while (first < last && isEdge(line[first])) ++first;
    while (last > first && isEdge(line[last - 1])) --last;
    return line.substr(first, last - first);
}

Settings withTextChoices(Settings copy, const SettingsForm& form) {
    copy.textScript = static_cast<TextScript>(choiceOfThree(form.scriptSelection));
    copy.textApostrophe = static_cast<TextApostrophe>(choiceOfThree(form.apostropheSelection));
    copy.textTrailingSpace = form.trailingSpace;
    copy.textSpokenBreaks = form.spokenBreaks;
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
    if (exitCode == 3) {
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
