#include "app/foreground_watch_win.h"

#include <array>
#include <string_view>

namespace {

// Windows 10 and 11 name their taskbars and the overflow area of hidden
// icons so; Wine's stand-alone tray window is its own.
constexpr std::array<std::wstring_view, 5> kTrayClasses = {
    L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"NotifyIconOverflowWindow", L"TopLevelWindowForOverflowXamlIsland",
    L"__winex11_standalone_tray"};

// The hook's events come through one GUI thread's message loop; one watch
// at a time receives them.
ForegroundWatch* watching = nullptr;

}  // namespace

bool isShellTrayWindow(HWND window) {
    const HWND root = GetAncestor(window, GA_ROOT);
    wchar_t name[64] = {};
    if (root == nullptr || GetClassNameW(root, name, 64) == 0) return false;
    for (const std::wstring_view tray : kTrayClasses) {
        if (tray == name) return true;
    }
    return false;
}

ForegroundWatch::~ForegroundWatch() {
    if (watching == this) watching = nullptr;
}

void ForegroundWatch::start(HWND own) {
    ownWindow = own;
    const HWND foreground = GetForegroundWindow();
    if (counts(foreground)) last = foreground;
    watching = this;
    // Wine sends no foreground events; there the z-order stands in for them.
    hook.reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, onForeground, 0, 0,
                               WINEVENT_OUTOFCONTEXT));
}

void CALLBACK ForegroundWatch::onForeground(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (watching != nullptr && object == OBJID_WINDOW && watching->counts(window)) watching->last = window;
}

bool ForegroundWatch::counts(HWND window) const {
    return window != nullptr && window != ownWindow && window != GetDesktopWindow() && window != GetShellWindow() &&
           !isShellTrayWindow(window);
}

HWND ForegroundWatch::userWindow() const {
    const HWND foreground = GetForegroundWindow();
    if (counts(foreground)) return foreground;
    if (last != nullptr && IsWindow(last) && IsWindowVisible(last)) return last;
    // The window activated last stays above the others (the taskbar and
    // tooltips, menus and the status strip aside: they are never activated).
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
        if (!IsWindowVisible(window) || IsIconic(window) || (style & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) != 0) continue;
        if (counts(window)) return window;
    }
    return nullptr;
}
