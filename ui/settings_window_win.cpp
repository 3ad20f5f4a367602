#include "ui/settings_window.h"

#include <algorithm>

#include <commctrl.h>

#include "diag/encoding.h"
#include "diag/log.h"
#include "settings/setting_fields.h"
#include "ui/interface_script.h"
#include "ui/settings_form.h"

namespace {

constexpr wchar_t kClassName[] = L"VornikaSettings";
// From the import's thread: wParam the percent done; then once, when it ends.
constexpr UINT WM_IMPORT_PROGRESS = WM_APP + 1;
constexpr UINT WM_IMPORT_DONE = WM_APP + 2;
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
    case ControlStyle::MultiLineEdit:
        return ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
    case ControlStyle::DefaultButton:
        return BS_DEFPUSHBUTTON | WS_TABSTOP;
    case ControlStyle::TabStopButton:
        return WS_TABSTOP;
    case ControlStyle::PathText:
        return SS_PATHELLIPSIS | SS_NOPREFIX;
    case ControlStyle::WorkButton:
        return WS_TABSTOP;
    case ControlStyle::PageTabs:
        return TCS_FOCUSNEVER;
    case ControlStyle::WorkText:
    case ControlStyle::Progress:
    case ControlStyle::Plain:
        break;
    }
    return 0;
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsSurroundings around, DonationDetails donation)
    : surroundings(std::move(around)), donate(std::move(donation)) {}

SettingsWindow::~SettingsWindow() { destroyWindow(); }

void SettingsWindow::setOnSaved(std::function<void(const Settings&)> callback) { onSaved = std::move(callback); }
void SettingsWindow::setHotkeyTaker(std::function<std::wstring(const Settings&)> taker) { takeHotkey = std::move(taker); }
void SettingsWindow::setOnModelReplaced(std::function<void()> callback) { onModelReplaced = std::move(callback); }

void SettingsWindow::setOnGpuRecheck(std::function<void()> callback) { onGpuRecheck = std::move(callback); }

void SettingsWindow::showRecognitionDevice() {
    if (handle() == nullptr) return;
    const std::wstring line = surroundings.recognitionDevice ? surroundings.recognitionDevice(settings.useGpu) : L"";
    SetDlgItemTextW(handle(), kGpuStatusId, shown(line).c_str());
}

WindowClassLook SettingsWindow::windowClassLook() {
    return {kClassName, L"XATO: sozlamalar oynasi yaratilmadi", true, true, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)};
}

bool SettingsWindow::createWindow() {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    if (!createObjectWindow(instance, 0, kSettingsTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr))
        return false;
    handOver.open(handle(), WM_IMPORT_DONE);
    for (const SettingsControl& entry : kSettingsControls) {
        CreateWindowExW(0, entry.className, entry.text, WS_CHILD | styleBits(entry.style), 0, 0, 0, 0, handle(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance, nullptr);
    }
    for (int page = 0; page < kPageCount; ++page) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kPageNames[page]);
        SendMessageW(control(kPageTabsId), TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
    }
    rebuildForDpi();
    showPage(0);
    enableDialogKeys(handle());
    return true;
}

// The controls of the chosen page and those under every page show; the rest
// hide. Focus never stays on a hidden control; a page the user goes to
// takes it on its first control.
void SettingsWindow::showPage(int page, bool focusPage) {
    currentPage = page;
    SendMessageW(control(kPageTabsId), TCM_SETCURSEL, page, 0);
    HWND child = GetWindow(handle(), GW_CHILD);
    for (const SettingsControl& entry : kSettingsControls) {
        if (child == nullptr) break;
        const bool visible = showsOnPage(entry, page) && (!showsOnlyWhileImporting(entry.style) || import.running());
        ShowWindow(child, visible ? SW_SHOWNA : SW_HIDE);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    const HWND focus = GetFocus();
    const bool hiddenFocus = focus != nullptr && IsChild(handle(), focus) && !IsWindowVisible(focus);
    if (focusPage || hiddenFocus) {
        const auto first = std::find_if(kSettingsControls.begin(), kSettingsControls.end(), [page](const SettingsControl& c) {
            return showsOnPage(c, page) && isTabStop(c.style) && !showsOnlyWhileImporting(c.style);
        });
        if (first != kSettingsControls.end()) SetFocus(control(first->id));
    }
}

// The frame, every control's place (the table's, scaled) and the font at the
// window's DPI. Labels share an id, so the children are walked in creation order.
void SettingsWindow::layoutControls() {
    sizeFrameForClient(handle(), settingsClientSize(dpi()), dpi());
    HWND child = GetWindow(handle(), GW_CHILD);
    for (const SettingsControl& entry : kSettingsControls) {
        if (child == nullptr) break;
        const Rect where = scaledControlRect(entry, dpi());
        SetWindowPos(child, nullptr, where.left, where.top, where.width(), where.height(), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        child = GetWindow(child, GW_HWNDNEXT);
    }
}

// Every fixed text in the interface's language, as the window opens: a
// language chosen at the last save shows from then on.
void SettingsWindow::showTexts() {
    SetWindowTextW(handle(), shown(kSettingsTitle).c_str());
    HWND child = GetWindow(handle(), GW_CHILD);
    for (const SettingsControl& entry : kSettingsControls) {
        if (child == nullptr) break;
        if (entry.text[0] != L'\0') SetWindowTextW(child, shown(entry.text).c_str());
        if (!entry.items.empty()) {
            const LRESULT chosen = SendMessageW(child, CB_GETCURSEL, 0, 0);
            SendMessageW(child, CB_RESETCONTENT, 0, 0);
            // The languages are named each in its own script.
            for (const wchar_t* item : entry.items) {
                const std::wstring text = entry.id == kLanguageComboId ? std::wstring(item) : shown(item);
                SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
            SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    const HWND tabs = control(kPageTabsId);
    for (int page = 0; page < kPageCount; ++page) {
        std::wstring name = shown(kPageNames[page]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = name.data();
        SendMessageW(tabs, TCM_SETITEMW, page, reinterpret_cast<LPARAM>(&item));
    }
}

void SettingsWindow::rebuildForDpi() {
    font = createUiFont(kSettingsFontSize, 400, dpi());
    layoutControls();
}

void SettingsWindow::open(HINSTANCE moduleInstance, const Settings& current) {
    settings = current;
    if (handle() == nullptr) {
        instance = moduleInstance;
        if (!createWindow()) return;
    }
    showTexts();
    loadControls();
    centreOnCursorMonitor();
    bringToFront();
}

void SettingsWindow::loadControls() {
    SendMessageW(control(kHotkeyControlId), HKM_SETHOTKEY, hotkeyControlValue(settings.vk, settings.modifiers), 0);
    CheckDlgButton(handle(), kHotkeyWinBoxId, (settings.modifiers & kModifierWin) ? BST_CHECKED : BST_UNCHECKED);
    for (const SettingsControl& entry : kSettingsControls) {
        const SettingField* field = entry.setting != nullptr ? findSettingField(entry.setting) : nullptr;
        if (field == nullptr) continue;
        if (field->kind == SettingKind::Text) {
            SetDlgItemTextW(handle(), entry.id, (settings.*field->text).c_str());
        } else if (entry.style == ControlStyle::CheckBox) {
            CheckDlgButton(handle(), entry.id, formNumber(*field, settings) != 0 ? BST_CHECKED : BST_UNCHECKED);
        } else {
            SendMessageW(control(entry.id), CB_SETCURSEL, static_cast<WPARAM>(formNumber(*field, settings)), 0);
        }
    }
    // The box shows what the Run key really holds, not what the file says.
    const bool autostart = surroundings.isAutostartEnabled && surroundings.isAutostartEnabled();
    CheckDlgButton(handle(), kAutostartBoxId, autostart ? BST_CHECKED : BST_UNCHECKED);
    const std::wstring model = surroundings.describeModel ? surroundings.describeModel() : L"";
    SetDlgItemTextW(handle(), kModelFileId, shown(model).c_str());
    showRecognitionDevice();
    updateTextExample();
    fillMicrophones();
}

SettingsForm SettingsWindow::readForm() const {
    SettingsForm form;
    form.hotkey = static_cast<std::uint16_t>(SendMessageW(control(kHotkeyControlId), HKM_GETHOTKEY, 0, 0));
    form.hotkeyWin = IsDlgButtonChecked(handle(), kHotkeyWinBoxId) == BST_CHECKED;
    form.micSelection = static_cast<int>(SendMessageW(control(kMicComboId), CB_GETCURSEL, 0, 0));
    for (const SettingsControl& entry : kSettingsControls) {
        const SettingField* field = entry.setting != nullptr ? findSettingField(entry.setting) : nullptr;
        if (field == nullptr) continue;
        if (field->kind == SettingKind::Text) {
            form.texts[entry.setting] = windowText(control(entry.id));
        } else if (entry.style == ControlStyle::CheckBox) {
            form.numbers[entry.setting] = IsDlgButtonChecked(handle(), entry.id) == BST_CHECKED ? 1 : 0;
        } else {
            form.numbers[entry.setting] = SendMessageW(control(entry.id), CB_GETCURSEL, 0, 0);
        }
    }
    return form;
}

// The example follows the choices as they are made, before anything is saved.
void SettingsWindow::updateTextExample() {
    const std::wstring example =
        surroundings.textExample ? surroundings.textExample(withFormValues(settings, readForm())) : L"";
    SetDlgItemTextW(handle(), kTextExampleId, shown(example).c_str());
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
    SetDlgItemTextW(handle(), kMicWarningId, microphoneWarning(devices, selection).c_str());
}

void SettingsWindow::centreOnCursorMonitor() {
    RECT own{};
    GetWindowRect(handle(), &own);
    const Point place = centredIn(cursorMonitorWorkArea(), own.right - own.left, own.bottom - own.top);
    SetWindowPos(handle(), HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE);
}

void SettingsWindow::bringToFront() {
    // Windows lets only the foreground thread hand over the foreground: join
    // its input for the moment of showing.
    const HWND foreground = GetForegroundWindow();
    const DWORD ownThread = GetCurrentThreadId();
    const DWORD foregroundThread = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const bool attached = foregroundThread != 0 && foregroundThread != ownThread &&
                          AttachThreadInput(foregroundThread, ownThread, TRUE);
    ShowWindow(handle(), SW_SHOW);
    BringWindowToTop(handle());
    SetForegroundWindow(handle());
    SetActiveWindow(handle());
    if (attached) AttachThreadInput(foregroundThread, ownThread, FALSE);
    if (GetForegroundWindow() != handle()) {
        FLASHWINFO flash{sizeof(flash), handle(), FLASHW_ALL | FLASHW_TIMERNOFG, 3, 0};
        FlashWindowEx(&flash);
    }
}

void SettingsWindow::save() {
    FormOutcome outcome = settingsFromForm(settings, readForm(), devices, keyNameForVk);
    if (outcome.hotkeyRejected && surroundings.showMessage) {
        surroundings.showMessage(handle(), kHotkeyRejectedText, kSettingsCaption, MB_ICONWARNING);
    }
    Settings& wanted = outcome.settings;
    if ((wanted.vk != settings.vk || wanted.modifiers != settings.modifiers) && takeHotkey) {
        if (const std::wstring refused = takeHotkey(wanted); !refused.empty()) {
            wanted.vk = settings.vk;
            wanted.modifiers = settings.modifiers;
            wanted.label = settings.label;
            if (surroundings.showMessage) surroundings.showMessage(handle(), refused, kSettingsCaption, MB_ICONWARNING);
        }
    }
    settings = outcome.settings;
    if (surroundings.setAutostart) surroundings.setAutostart(settings.autoStart);
    if (!surroundings.saveSettings || !surroundings.saveSettings(settings)) {
        if (surroundings.showMessage) {
            surroundings.showMessage(handle(), kSettingsNotSavedText, kSettingsCaption, MB_ICONERROR);
        }
        return;
    }
    logLine(L"sozlamalar saqlandi: " + settings.hotkeyLabel());
    if (onSaved) onSaved(settings);
}

// The picked model is imported on a thread of its own; the window stays
// usable and shows the progress with a way to stop.
void SettingsWindow::chooseModel() {
    if (import.running() || !surroundings.chooseModel) return;
    const std::wstring chosen = surroundings.chooseModel(handle());
    if (chosen.empty()) return;
    const std::wstring target = surroundings.modelTarget ? surroundings.modelTarget() : L"";
    if (target.empty()) {
        logLine(L"XATO: yangi model uchun yoziladigan joy yo'q");
        if (surroundings.showMessage) surroundings.showMessage(handle(), kNoModelPlaceText, kModelCaption, MB_ICONERROR);
        return;
    }
    logLine(L"model tanlandi: " + chosen);
    const HWND window = handle();
    const bool started = import.start(
        toUtf8(chosen), toUtf8(target), [window](int percent) { PostMessageW(window, WM_IMPORT_PROGRESS, percent, 0); },
        [this](const ConvertOutcome& outcome) { handOver.post([this, outcome] { onImportDone(outcome); }); });
    if (started) showImportControls(true);
}

void SettingsWindow::showImportControls(bool importing) {
    const HWND choose = control(kChooseModelButtonId), stop = control(kStopImportButtonId);
    SendMessageW(control(kModelProgressId), PBM_SETPOS, 0, 0);
    if (!importing) EnableWindow(choose, TRUE);
    for (const SettingsControl& entry : kSettingsControls) {
        if (showsOnlyWhileImporting(entry.style))
            ShowWindow(control(entry.id), importing && showsOnPage(entry, currentPage) ? SW_SHOWNA : SW_HIDE);
    }
    // Focus must not stay on a control that disappears or is disabled.
    const HWND focus = GetFocus();
    if (focus == stop && !importing) SetFocus(choose);
    if (focus == choose && importing) SetFocus(stop);
    if (importing) EnableWindow(choose, FALSE);
}

void SettingsWindow::onImportDone(const ConvertOutcome& outcome) {
    showImportControls(false);
    if (outcome.exitCode == kConvertStopped) {
        logLine(L"model tanlash to'xtatildi");
        return;
    }
    if (outcome.exitCode != 0) {
        logLine(L"XATO: model qabul qilinmadi: " + fromUtf8(outcome.error));
        if (surroundings.showMessage) {
            surroundings.showMessage(handle(), modelImportFailureText(outcome.exitCode, outcome.error), kModelCaption,
                                     MB_ICONERROR);
        }
        return;
    }
    logLine(L"yangi model o'rnatildi");
    const std::wstring model = surroundings.describeModel ? surroundings.describeModel() : L"";
    SetDlgItemTextW(handle(), kModelFileId, shown(model).c_str());
    if (onModelReplaced) onModelReplaced();
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
        case kScriptComboId:
        case kApostropheComboId:
            if (HIWORD(wParam) == CBN_SELCHANGE) updateTextExample();
            return 0;
        case kTrailingSpaceBoxId:
        case kSpokenBreaksBoxId:
            if (HIWORD(wParam) == BN_CLICKED) updateTextExample();
            return 0;
        case kSaveButtonId:
            save();
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        case kCancelButtonId:
        case IDCANCEL:  // Esc
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        case kDefaultHotkeyButtonId:
            SendMessageW(control(kHotkeyControlId), HKM_SETHOTKEY,
                         hotkeyControlValue(kDefaultHotkeyVk, kDefaultHotkeyModifiers), 0);
            CheckDlgButton(hwnd, kHotkeyWinBoxId, (kDefaultHotkeyModifiers & kModifierWin) ? BST_CHECKED : BST_UNCHECKED);
            return 0;
        case kDonateButtonId:
            donate.open(instance, hwnd);
            return 0;
        case kChooseModelButtonId:
            chooseModel();
            return 0;
        case kStopImportButtonId:
            import.stop();
            return 0;
        case kGpuRecheckButtonId:
            SetDlgItemTextW(hwnd, kGpuStatusId, shown(kGpuRecheckingText).c_str());
            if (onGpuRecheck) onGpuRecheck();
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    case WM_IMPORT_PROGRESS:
        SendMessageW(control(kModelProgressId), PBM_SETPOS, wParam, 0);
        return 0;
    case WM_IMPORT_DONE:
        handOver.runParked();
        return 0;
    case WM_NCDESTROY:
        handOver.close();  // an import still running finds no window
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case DM_GETDEFID:  // Enter
        return MAKELRESULT(kSaveButtonId, DC_HASDEFID);
    case WM_NEXTDLGCTL:
        moveDialogFocus(hwnd, wParam, lParam);
        return 0;
    case WM_SWITCH_PAGE:  // Ctrl+Tab, Ctrl+Shift+Tab
        showPage(nextPage(currentPage, wParam != 0), true);
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(kPageTabsId) && header->code == TCN_SELCHANGE)
            showPage(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)), true);
        return 0;
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
