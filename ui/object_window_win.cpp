#include "ui/object_window_win.h"

#include "diag/log.h"
#include "res/resource.h"

namespace {

// Marks a top-level window whose keys go through IsDialogMessageW.
constexpr wchar_t kDialogKeysProperty[] = L"VornikaDialogKeys";

}  // namespace

bool registerWindowClass(HINSTANCE instance, const WindowClassLook& look, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, look.name, &windowClass)) return true;
    windowClass = WNDCLASSEXW{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = look.arrowCursor ? LoadCursorW(nullptr, IDC_ARROW) : nullptr;
    windowClass.hbrBackground = look.background;
    if (look.programIcon) {
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
        if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    windowClass.lpszClassName = look.name;
    // Another thread may have registered it meanwhile.
    if (RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
    logLine(L"XATO: oyna klassi ro'yxatdan o'tmadi");
    return false;
}

void logWindowFailure(const wchar_t* line) {
    if (line != nullptr) logLine(line);
}

int dpiOfWindow(HWND window) {
    const int dpi = static_cast<int>(GetDpiForWindow(window));
    return dpi > 0 ? dpi : 96;
}

void sizeFrameForClient(HWND window, Size client, int dpi) {
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT frame{0, 0, client.width, client.height};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void forgetDialogKeys(HWND window) { RemovePropW(window, kDialogKeysProperty); }

void enableDialogKeys(HWND window) { SetPropW(window, kDialogKeysProperty, reinterpret_cast<HANDLE>(1)); }

bool routeDialogKeys(MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || message.hwnd == nullptr) return false;
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root == nullptr || GetPropW(root, kDialogKeysProperty) == nullptr) return false;
    if (message.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        const WPARAM key = message.wParam;
        if (key == VK_TAB || key == VK_NEXT || key == VK_PRIOR) {
            const bool forward = key == VK_TAB ? (GetKeyState(VK_SHIFT) & 0x8000) == 0 : key == VK_NEXT;
            if (SendMessageW(root, WM_SWITCH_PAGE, forward ? 1 : 0, 0) != 0) return true;
        }
    }
    return IsDialogMessageW(root, &message) != FALSE;
}

void dispatchThreadMessage(MSG& message) {
    if (routeDialogKeys(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void moveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND next = nullptr;
    if (LOWORD(lParam) != 0) {
        next = reinterpret_cast<HWND>(wParam);
    } else {
        HWND current = GetFocus();
        if (current != nullptr && !IsChild(window, current)) current = nullptr;
        next = GetNextDlgTabItem(window, current, wParam != 0);
    }
    if (next != nullptr) SetFocus(next);
}
