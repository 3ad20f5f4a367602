#include <algorithm>
#include <string>

#include "app/app.h"
#include "app/cycle_texts.h"
#include "diag/log.h"
#include "res/resource.h"
#include "ui/interface_script.h"

namespace {

template <std::size_t N>
void copyCut(wchar_t (&field)[N], const std::wstring& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    text.copy(field, length);
    field[length] = L'\0';
}

}  // namespace

bool App::addTrayIcon() {
    if (trayAdded) return true;
    nid = NOTIFYICONDATAW{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = handle();
    nid.uID = 1;
    // Version-4 icons show the standard tooltip only when asked to.
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    nid.uCallbackMessage = WM_TRAYICON;
    // Loaded once: the icon comes back after every Explorer restart.
    if (!trayIcon) {
        trayIcon.reset(static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                     LR_DEFAULTCOLOR)));
    }
    nid.hIcon = trayIcon ? trayIcon.get() : LoadIconW(nullptr, IDI_APPLICATION);  // the stock icon is shared
    copyCut(nid.szTip, shown(kIdleTip));
    trayAdded = surroundings.notifyIcon && surroundings.notifyIcon(NIM_ADD, nid);
    if (trayAdded) {
        nid.uVersion = NOTIFYICON_VERSION_4;
        surroundings.notifyIcon(NIM_SETVERSION, nid);
    } else {
        logLine(L"XATO: tray ikonasi qo'shilmadi");
    }
    return trayAdded;
}

void App::removeTrayIcon() {
    if (!trayAdded) return;
    surroundings.notifyIcon(NIM_DELETE, nid);
    trayAdded = false;
}

void App::setTrayTip(const std::wstring& text) {
    if (!trayAdded) return;
    nid.uFlags = NIF_TIP | NIF_SHOWTIP;
    copyCut(nid.szTip, fitTrayTip(shown(text)));
    surroundings.notifyIcon(NIM_MODIFY, nid);
}

void App::showBalloon(const std::wstring& title, const std::wstring& text, DWORD icon) {
    if (!trayAdded) return;
    // A copy: the next tooltip change must not show the balloon again.
    NOTIFYICONDATAW balloon = nid;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = icon;
    copyCut(balloon.szInfoTitle, shown(title));
    copyCut(balloon.szInfo, shown(text));
    surroundings.notifyIcon(NIM_MODIFY, balloon);
}

void App::showTrayMenu() {
    const UniqueMenu owned(CreatePopupMenu());
    const HMENU menu = owned.get();
    if (menu == nullptr) return;
    const Settings& settings = currentSettings();
    const std::wstring first = shown(toggleMenuItem(settings.hotkeyLabel(), isRecording()));
    AppendMenuW(menu, MF_STRING | (isBusy() ? MF_GRAYED : 0), ID_TOGGLE, first.c_str());
    AppendMenuW(menu, MF_STRING | (lastDictatedText().empty() ? MF_GRAYED : 0), ID_COPY_LAST_TEXT,
                shown(kCopyLastTextMenuItem).c_str());
    // What this menu shows is what its items copy, whatever arrives while it is open.
    run(cycle::MenuOpened{});
    // Owned by the menu once appended; destroyed with it.
    if (settings.history) {
        const HMENU texts = CreatePopupMenu();
        if (texts != nullptr) {
            // The user's own texts stay as they were dictated.
            const auto& kept = cycle.menuHistory();
            for (std::size_t i = 0; i < kept.size(); ++i) {
                AppendMenuW(texts, MF_STRING, ID_HISTORY_FIRST + i, historyMenuLabel(kept[i]).c_str());
            }
            AppendMenuW(menu, MF_POPUP | (kept.empty() ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(texts),
                        shown(kHistoryMenuItem).c_str());
        }
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_SETTINGS, shown(kSettingsMenuItem).c_str());
    AppendMenuW(menu, MF_STRING, ID_OPEN_LOG, shown(kOpenLogMenuItem).c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_EXIT, shown(kExitMenuItem).c_str());
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when clicked away from.
    // The window the user was writing in (not the taskbar their click made
    // the foreground) gets it back afterwards, before the chosen command
    // runs: a take started or stopped here types into it.
    const HWND previous = foregroundWatch.userWindow();
    SetForegroundWindow(handle());
    TrackPopupMenu(menu, TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, handle(), nullptr);
    PostMessageW(handle(), WM_NULL, 0, 0);
    if (previous != nullptr && IsWindow(previous)) SetForegroundWindow(previous);
}
