#pragma once
// The one way the program makes a window. A window class is a C++ class T
// deriving from ObjectWindow<T>: its Win32 class is registered once (and the
// result checked), the window is created with the object as its creation
// parameter, and every message reaches T::handleMessage through the
// window's user data. The base answers WM_DPICHANGED itself (the suggested
// rectangle, then T::rebuildForDpi() when T has one, then a repaint), paints
// through T::paint(HDC) when T has one (which then paints every pixel, so the
// background is never erased first), and forgets the handle at WM_NCDESTROY.
// GUI thread only.

#include <type_traits>

#include <windows.h>

#include "diag/scoped_win.h"
#include "ui/geometry.h"

// What a window class differs in.
struct WindowClassLook {
    const wchar_t* name;
    const wchar_t* creationFailedLogLine;  // written when the window cannot be made
    bool arrowCursor = true;
    bool programIcon = false;       // the program's icon (IDI_PROGRAM), else none
    HBRUSH background = nullptr;    // e.g. COLOR_WINDOW + 1; null: the window paints it
};

// Registers the class with this procedure once per module; a registration
// that already exists serves. False when the system refuses.
bool registerWindowClass(HINSTANCE instance, const WindowClassLook& look, WNDPROC procedure);

// The window's DPI; 96 where the system cannot say.
int dpiOfWindow(HWND window);

// Sizes a window's frame around a client area of the given size at the
// given DPI; the top-left corner stays.
void sizeFrameForClient(HWND window, Size client, int dpi);

// Windows that take the dialog keys: Tab and Shift+Tab move through the
// controls with WS_TABSTOP in creation order, Enter presses the button the
// window names in DM_GETDEFID, Esc sends IDCANCEL. Ctrl+Tab and Ctrl+PageDown
// (wParam 1), Ctrl+Shift+Tab and Ctrl+PageUp (wParam 0) send WM_SWITCH_PAGE;
// a window with pages answers TRUE, others let the key go on.
inline constexpr UINT WM_SWITCH_PAGE = WM_APP + 0x100;
void enableDialogKeys(HWND window);
// True when the message was a key for such a window and has been handled.
bool routeDialogKeys(MSG& message);
// One message of the thread's loop: the dialog keys first, then translation
// and dispatch. The program's loop and the tests' pumps both use it.
void dispatchThreadMessage(MSG& message);
// What a window with dialog keys does with WM_NEXTDLGCTL (a plain window's
// default does nothing): focus moves to the next or previous tab stop.
void moveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam);
// Drops the mark enableDialogKeys left (the base does it at WM_NCDESTROY).
void forgetDialogKeys(HWND window);


void logWindowFailure(const wchar_t* line);

template <class T>
class ObjectWindow {
public:
    HWND handle() const { return window.get(); }
    int dpi() const { return currentDpi; }

protected:
    ObjectWindow() = default;
    // Messages stop reaching the object first: by now T's part is gone.
    ~ObjectWindow() {
        if (window) SetWindowLongPtrW(window.get(), GWLP_USERDATA, 0);
    }
    ObjectWindow(const ObjectWindow&) = delete;
    ObjectWindow& operator=(const ObjectWindow&) = delete;

    // Registers T's class (T::windowClassLook()) and creates the window; false
    // and T's log line when either fails.
    bool createObjectWindow(HINSTANCE instance, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width,
                            int height, HWND owner) {
        const WindowClassLook look = T::windowClassLook();
        if (registerWindowClass(instance, look, &procedure)) {
            const HWND made = CreateWindowExW(exStyle, look.name, title, style, x, y, width, height, owner, nullptr,
                                              instance, static_cast<T*>(this));
            window.reset(made);
        }
        if (!window) {
            logWindowFailure(look.creationFailedLogLine);
            return false;
        }
        currentDpi = dpiOfWindow(window.get());
        return true;
    }

    // Destroys the window while T still answers its messages (WM_DESTROY
    // included); T's destructor calls it first.
    void destroyWindow() { window.reset(); }

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        T* object = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (object == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
        ObjectWindow& base = *object;
        if (message == WM_DPICHANGED) {
            if (HIWORD(wParam) != 0) base.currentDpi = HIWORD(wParam);
            if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
                SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                             suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            }
            if constexpr (requires(T& t) { t.rebuildForDpi(); }) object->rebuildForDpi();
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        if constexpr (requires(const T& t, HDC dc) { t.paint(dc); }) {
            if (message == WM_PAINT) {
                const PaintScope painting(hwnd);
                object->paint(painting.context());
                return 0;
            }
            if (message == WM_ERASEBKGND) return 1;
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            forgetDialogKeys(hwnd);
            const LRESULT result = object->handleMessage(hwnd, message, wParam, lParam);
            // The handle is dead: the owner must not destroy it again.
            if (base.window.get() == hwnd) static_cast<void>(base.window.release());
            return result;
        }
        return object->handleMessage(hwnd, message, wParam, lParam);
    }

    UniqueWindow window;
    int currentDpi = 96;
};
