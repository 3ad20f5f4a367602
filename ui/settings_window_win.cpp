#include "ui/settings_window.h"

#include <commctrl.h>

#include "diag/log.h"
#include "ui/settings_form.h"

namespace {

constexpr wchar_t kClassName[] = L"VornikaSettings";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;

DWORD styleBits(ControlStyle style) {
    switch (style) {
    case ControlStyle::ScrollingDropDown:
        return CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    case ControlStyle::DropDown:
        return CBS_DROPDOWNLIST | WS_TABSTOP;
    case ControlStyle::CheckBox:
        return BS_AUTOCHECKBOX | WS_TABSTOP;
    case ControlStyle::OwnerDrawnButton:
        return BS_OWNERDRAW | WS_TABSTOP;
    case ControlStyle::DefaultButton:
        return BS_DEFPUSHBUTTON | WS_TABSTOP;
    case ControlStyle::TabStopButton:
        return WS_TABSTOP;
    case ControlStyle::Plain:
        break;
    }
    return 0;
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsSurroundings around, DonationDetails donation)
    : surroundings(std::move(around)), donate(std::move(donation)) {}

SettingsWindow::~SettingsWindow() { window.reset(); }

void SettingsWindow::setOnSaved(std::function<void(const Settings&)> callback) { onSaved = std::move(callback); }

bool SettingsWindow::createWindow() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = objectWindowProcedure<SettingsWindow>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    window.reset(CreateWindowExW(0, kClassName, kSettingsTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                                 nullptr, instance, this));
    if (!window) {
        logLine(L"XATO: sozlamalar oynasi yaratilmadi");
        return false;
    }
    dpi = static_cast<int>(GetDpiForWindow(window.get()));
    if (dpi <= 0) dpi = 96;
    font = createUiFont(kSettingsFontSize, 400, dpi);

    const Size client = settingsClientSize(dpi);
    RECT frame{0, 0, client.width, client.height};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, static_cast<UINT>(dpi));
    SetWindowPos(window.get(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);

    for (const SettingsControl& entry : kSettingsControls) {
        const Rect where = scaledControlRect(entry, dpi);
        const HWND child = CreateWindowExW(0, entry.className, entry.text, WS_CHILD | WS_VISIBLE | styleBits(entry.style),
                                           where.left, where.top, where.width(), where.height(), window.get(),
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    const HWND modes = control(kModeComboId);
    for (const wchar_t* item : kInsertModeItems) SendMessageW(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    return true;
}

void SettingsWindow::open(HINSTANCE moduleInstance, const Settings& current) {
    settings = current;
    if (!window) {
        instance = moduleInstance;
        if (!createWindow()) return;
    }
    loadControls();
    centreOnCursorMonitor();
    bringToFront();
}

void SettingsWindow::loadControls() {
    SendMessageW(control(kHotkeyControlId), HKM_SETHOTKEY, hotkeyControlValue(settings.vk, settings.modifiers), 0);
    SendMessageW(control(kModeComboId), CB_SETCURSEL, settings.insertMode == InsertMode::Type ? 1 : 0, 0);
    // The box shows what the Run key really holds, not what the file says.
    const bool autostart = surroundings.isAutostartEnabled && surroundings.isAutostartEnabled();
    CheckDlgButton(window.get(), kAutostartBoxId, autostart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window.get(), kGpuBoxId, settings.useGpu ? BST_CHECKED : BST_UNCHECKED);
    fillMicrophones();
}

void SettingsWindow::fillMicrophones() {
    const HWND combo = control(kMicComboId);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    devices = surroundings.listMicrophones ? surroundings.listMicrophones() : std::vector<MicDevice>{};
    for (const std::wstring& item : microphoneItems(devices)) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageW(combo, CB_SETCURSEL, microphoneSelection(devices, settings.deviceId), 0);
    updateMicWarning();
}

void SettingsWindow::updateMicWarning() {
    const int selection = static_cast<int>(SendMessageW(control(kMicComboId), CB_GETCURSEL, 0, 0));
    SetDlgItemTextW(window.get(), kMicWarningId, microphoneWarning(devices, selection).c_str());
}

void SettingsWindow::centreOnCursorMonitor() {
    RECT own{};
    GetWindowRect(window.get(), &own);
    const Point place = centredIn(cursorMonitorWorkArea(), own.right - own.left, own.bottom - own.top);
    SetWindowPos(window.get(), HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE);
}

void SettingsWindow::bringToFront() {
    // Windows lets only the foreground thread hand over the foreground: join
    // its input for the moment of showing.
    const HWND foreground = GetForegroundWindow();
    const DWORD ownThread = GetCurrentThreadId();
    const DWORD foregroundThread = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = foregroundThread != 0 && foregroundThread != ownThread &&
                          AttachThreadInput(foregroundThread, ownThread, TRUE);
    ShowWindow(window.get(), SW_SHOW);
    BringWindowToTop(window.get());
    SetForegroundWindow(window.get());
    SetActiveWindow(window.get());
    if (attached) AttachThreadInput(foregroundThread, ownThread, FALSE);
    if (GetForegroundWindow() != window.get()) {
        FLASHWINFO flash{sizeof(flash), window.get(), FLASHW_ALL | FLASHW_TIMERNOFG, 3, 0};
        FlashWindowEx(&flash);
    }
}

void SettingsWindow::save() {
    SettingsForm form;
    form.hotkey = static_cast<std::uint16_t>(SendMessageW(control(kHotkeyControlId), HKM_GETHOTKEY, 0, 0));
    form.micSelection = static_cast<int>(SendMessageW(control(kMicComboId), CB_GETCURSEL, 0, 0));
    form.modeSelection = static_cast<int>(SendMessageW(control(kModeComboId), CB_GETCURSEL, 0, 0));
    form.autoStart = IsDlgButtonChecked(window.get(), kAutostartBoxId) == BST_CHECKED;
    form.useGpu = IsDlgButtonChecked(window.get(), kGpuBoxId) == BST_CHECKED;

    const FormOutcome outcome = settingsFromForm(settings, form, devices, keyNameForVk);
    if (outcome.hotkeyRejected && surroundings.showMessage) {
        surroundings.showMessage(window.get(), kHotkeyRejectedText, kSettingsCaption, MB_ICONWARNING);
    }
    settings = outcome.settings;
    if (surroundings.setAutostart) surroundings.setAutostart(settings.autoStart);
    if (!surroundings.saveSettings || !surroundings.saveSettings(settings)) {
        if (surroundings.showMessage) {
            surroundings.showMessage(window.get(), kSettingsNotSavedText, kSettingsCaption, MB_ICONERROR);
        }
        return;
    }
    logLine(L"sozlamalar saqlandi: " + settings.hotkeyLabel());
    if (onSaved) onSaved(settings);
}

void SettingsWindow::drawDonateButton(const DRAWITEMSTRUCT& item) const {
    const HDC dc = item.hDC;
    const Rect area = fromRECT(item.rcItem);
    fillRect(dc, area, (item.itemState & ODS_SELECTED) ? kDonateButtonPressedColour : kDonateButtonColour);
    if (item.itemState & ODS_FOCUS) {
        RECT focus{area.left + 3, area.top + 3, area.right - 3, area.bottom - 3};
        DrawFocusRect(dc, &focus);
    }
    wchar_t text[65] = {};
    GetWindowTextW(item.hwndItem, text, 65);
    const SelectedObject selection(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT textArea = item.rcItem;
    DrawTextW(dc, text, -1, &textArea, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

LRESULT SettingsWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kMicComboId:
            if (HIWORD(wParam) == CBN_SELCHANGE) updateMicWarning();
            return 0;
        case kSaveButtonId:
            save();
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        case kCancelButtonId:
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        case kDefaultHotkeyButtonId:
            SendMessageW(control(kHotkeyControlId), HKM_SETHOTKEY, MAKEWORD(0x44, HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
            return 0;
        case kDonateButtonId:
            donate.open(instance, hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kMicWarningId) SetTextColor(dc, toColorRef(kMicWarningColour));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam == static_cast<WPARAM>(kDonateButtonId)) {
            drawDonateButton(*item);
            return TRUE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
