// edit-host: the target window of the insertion tests. A top-level window
// with a multiline EDIT control that takes the foreground and the focus and
// writes the control's text (UTF-8) to OUTPUT whenever it changes; OUTPUT
// exists, empty, once the window is ready.
//   edit-host OUTPUT
// or, as a target that reads the clipboard late (a remote desktop's), with
// each paste carried out that many milliseconds after its Ctrl+V:
//   edit-host --late-paste=MILLISECONDS OUTPUT
// or, as another program that holds the clipboard open for 600 ms:
//   edit-host --hold-clipboard
#include <cwchar>
#include <string>

#include <windows.h>

#include "diag/encoding.h"

namespace {

constexpr wchar_t kClassName[] = L"VornikaTestEditHost";
constexpr UINT_PTR kSaveTimer = 1;
constexpr UINT_PTR kLatePasteTimer = 2;

class EditHost {
public:
    EditHost(std::wstring output, UINT latePaste) : outputPath(std::move(output)), latePasteMs(latePaste) {}

    bool create(HINSTANCE instance) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &EditHost::procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClassName;
        if (!RegisterClassW(&windowClass)) return false;
        window = CreateWindowExW(0, kClassName, L"edit-host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 600, 300,
                                 nullptr, nullptr, instance, this);
        if (window == nullptr) return false;
        SetForegroundWindow(window);
        SetFocus(edit);
        return true;
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<EditHost*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<EditHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return self != nullptr ? self->handle(window, message, wParam, lParam)
                               : DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_CREATE:
            edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 580,
                                   260, hwnd, nullptr, nullptr, nullptr);
            SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
            SetTimer(hwnd, kSaveTimer, 10, nullptr);
            if (latePasteMs > 0) {
                SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
                editProcedure = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditHost::lateEdit)));
            }
            return 0;
        case WM_TIMER:
            if (wParam == kLatePasteTimer) {
                KillTimer(hwnd, kLatePasteTimer);
                CallWindowProcW(editProcedure, edit, WM_PASTE, 0, 0);
            }
            save();
            return 0;
        case WM_SETFOCUS:
            SetFocus(edit);
            return 0;
        case WM_DESTROY:
            save();
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    // The edit's Ctrl+V comes as WM_PASTE: carried out when the timer fires.
    static LRESULT CALLBACK lateEdit(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<EditHost*>(GetWindowLongPtrW(edit, GWLP_USERDATA));
        if (message == WM_PASTE) {
            SetTimer(self->window, kLatePasteTimer, self->latePasteMs, nullptr);
            return 0;
        }
        return CallWindowProcW(self->editProcedure, edit, message, wParam, lParam);
    }

    void save() {
        const int length = GetWindowTextLengthW(edit);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), length + 1)));
        if (saved && text == lastSaved) return;
        const std::string bytes = toUtf8(text);
        const std::wstring temporary = outputPath + L".tmp";
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        if (MoveFileExW(temporary.c_str(), outputPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            saved = true;
            lastSaved = text;
        }
    }

    std::wstring outputPath;
    UINT latePasteMs = 0;
    WNDPROC editProcedure = nullptr;
    HWND window = nullptr;
    HWND edit = nullptr;
    bool saved = false;
    std::wstring lastSaved;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    if (std::wstring(commandLine) == L"--hold-clipboard") {
        // Held by a window: Wine lets two openers without a window share it.
        const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        int attempts = 0;
        while (!OpenClipboard(owner)) {  // the test may have it open for a moment
            if (++attempts > 2000) return 1;
            Sleep(1);
        }
        Sleep(600);
        CloseClipboard();
        DestroyWindow(owner);
        return 0;
    }
    std::wstring output = commandLine;
    UINT latePaste = 0;
    if (output.rfind(L"--late-paste=", 0) == 0) {
        latePaste = static_cast<UINT>(std::wcstoul(output.c_str() + 13, nullptr, 10));
        output = output.substr(output.find(L' ') + 1);
    }
    EditHost host(output, latePaste);
    if (!host.create(instance)) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
