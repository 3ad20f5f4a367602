#include "tests/ui/window_driving.h"

#include <cstring>
#include <fstream>
#include <future>
#include <thread>

#include "insert/insert_text.h"
#include "ui/object_window_win.h"

using namespace std::chrono_literals;

void pumpMessagesFor(std::chrono::milliseconds duration) {
    pumpUntil([] { return false; }, duration);
}

bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (true) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dispatchThreadMessage(message);
        }
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

ScreenShot::ScreenShot(const Rect& where) : area(where), pixels(static_cast<std::size_t>(where.width() * where.height())) {
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = area.width();
    info.bmiHeader.biHeight = -area.height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, area.width(), area.height(), screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * sizeof(std::uint32_t));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

Colour ScreenShot::at(int x, int y) const {
    const std::uint32_t pixel = pixels[static_cast<std::size_t>((y - area.top) * area.width() + (x - area.left))];
    return {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)};
}

int ScreenShot::count(const Rect& inside, Colour colour, int tolerance) const {
    int found = 0;
    for (int y = inside.top; y < inside.bottom; ++y) {
        for (int x = inside.left; x < inside.right; ++x) {
            const Colour c = at(x, y);
            if (std::abs(c.red - colour.red) <= tolerance && std::abs(c.green - colour.green) <= tolerance &&
                std::abs(c.blue - colour.blue) <= tolerance) {
                ++found;
            }
        }
    }
    return found;
}

bool requestScreenPicture(const std::wstring& folder, const std::wstring& name, const Rect& area,
                          std::chrono::milliseconds limit) {
    const std::wstring request = folder + L"\\" + name + L".request";
    const std::wstring written = request + L".part";  // the script sees only whole requests
    {
        std::ofstream out(written.c_str());
        out << area.left << ' ' << area.top << ' ' << area.width() << ' ' << area.height() << '\n';
    }
    if (!MoveFileW(written.c_str(), request.c_str())) return false;
    return pumpUntil([&] { return GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES; }, limit);
}

void pressKey(WORD vk, bool withShift) {
    if (withShift) {
        pressKeyWith({VK_SHIFT}, vk);
    } else {
        pressKeyWith({}, vk);
    }
}

void pressKeyWith(std::initializer_list<WORD> held, WORD vk) {
    std::vector<INPUT> inputs;
    const auto key = [&inputs](WORD code, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (const WORD down : held) key(down, 0);
    key(vk, 0);
    key(vk, KEYEVENTF_KEYUP);
    for (auto up = std::rbegin(held); up != std::rend(held); ++up) key(*up, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    pumpMessagesFor(150ms);
}

// On a thread of its own that keeps answering messages, as the program's GUI
// thread does: other processes reading the clipboard, and the restore
// emptying it, wait for its owner's answers (Wine sends them synchronously).
// Its procedure passes the paste's messages on first, as the program's does.
WNDPROC staticProcedure = nullptr;
LRESULT CALLBACK clipboardOwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (answerClipboardMessage(window, message, wParam)) return 0;
    return CallWindowProcW(staticProcedure, window, message, wParam, lParam);
}

HWND startClipboardOwner() {
    std::promise<HWND> made;
    std::future<HWND> window = made.get_future();
    std::thread([&made] {
        const HWND created = CreateWindowExW(0, L"STATIC", L"clipboard owner", 0, 0, 0, 0, 0, nullptr, nullptr,
                                             GetModuleHandleW(nullptr), nullptr);
        staticProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(created, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&clipboardOwnerProcedure)));
        made.set_value(created);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    }).detach();
    return window.get();
}

HWND testClipboardOwner() {
    static const HWND owner = startClipboardOwner();
    return owner;
}

std::wstring clipboardText() {
    for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) std::this_thread::sleep_for(10ms);
    std::wstring text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* locked = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = locked;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void putOnClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
    for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) std::this_thread::sleep_for(10ms);
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) {
        const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        SetClipboardData(format, block);
    }
    CloseClipboard();
}

void putOnClipboard(const std::wstring& text) {
    putOnClipboard({{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.c_str()),
                                                 (text.size() + 1) * sizeof(wchar_t))}});
}

std::string clipboardBytes(UINT format) {
    for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) std::this_thread::sleep_for(10ms);
    std::string bytes;
    if (const HANDLE data = GetClipboardData(format)) {
        if (const auto* locked = static_cast<const char*>(GlobalLock(data))) {
            bytes.assign(locked, GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

Rect windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

Rect clientRect(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}
