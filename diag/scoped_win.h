#pragma once
// The program's owners of Win32 resources, each defined once: kernel
// handles, registry keys, WinHTTP handles and CNG hashes, global memory and
// its lock, CoTaskMem blocks, COM interface pointers and COM initialisation,
// GDI objects and their selection, painting, menus and windows. Each frees
// what it holds when reset or destroyed; none is copyable.

#include <memory>
#include <type_traits>
#include <utility>

#include <windows.h>
#include <bcrypt.h>
#include <objbase.h>
#include <winhttp.h>

// --- Kernel handles (a file, an event, a process) ---------------------------

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, most other calls as
// null; both give an empty holder.
inline UniqueHandle ownHandle(HANDLE raw) { return UniqueHandle(raw == INVALID_HANDLE_VALUE ? nullptr : raw); }

// --- Registry keys -----------------------------------------------------------

struct RegistryKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueRegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

// --- WinHTTP sessions, connections and requests, and CNG hashing --------------

struct InternetCloser {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

struct AlgorithmCloser {
    void operator()(BCRYPT_ALG_HANDLE algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
using UniqueAlgorithm = std::unique_ptr<void, AlgorithmCloser>;

struct HashDestroyer {
    void operator()(BCRYPT_HASH_HANDLE hash) const { BCryptDestroyHash(hash); }
};
using UniqueHash = std::unique_ptr<void, HashDestroyer>;

// --- Global memory (clipboard blocks) ----------------------------------------

struct GlobalFreer {
    void operator()(HGLOBAL block) const { GlobalFree(block); }
};
using UniqueGlobal = std::unique_ptr<void, GlobalFreer>;

// An enhanced metafile made from a saved clipboard's bytes, until the
// clipboard takes it.
struct EnhMetaFileDeleter {
    void operator()(HENHMETAFILE metafile) const { DeleteEnhMetaFile(metafile); }
};
using UniqueEnhMetaFile = std::unique_ptr<std::remove_pointer_t<HENHMETAFILE>, EnhMetaFileDeleter>;

// GlobalLock for as long as it lives; data() is null when the lock failed.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL block) : block(block), memory(block != nullptr ? GlobalLock(block) : nullptr) {}
    ~GlobalLockScope() {
        if (memory != nullptr) GlobalUnlock(block);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* data() const { return memory; }

private:
    HGLOBAL block;
    void* memory;
};

// --- COM ---------------------------------------------------------------------

// CoTaskMemAlloc'd memory handed out by COM and shell calls.
template <typename T>
class CoTaskMemPtr {
public:
    CoTaskMemPtr() = default;
    ~CoTaskMemPtr() { reset(); }
    CoTaskMemPtr(const CoTaskMemPtr&) = delete;
    CoTaskMemPtr& operator=(const CoTaskMemPtr&) = delete;
    T* get() const { return pointer; }
    T* operator->() const { return pointer; }
    // For the out-parameter of a call; releases what was held.
    T** put() {
        reset();
        return &pointer;
    }
    void reset() {
        if (pointer != nullptr) CoTaskMemFree(std::exchange(pointer, nullptr));
    }

private:
    T* pointer = nullptr;
};

// One COM interface pointer: Release when reset or destroyed. The owner
// decides on which thread and in which order that happens.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}

    T* get() const { return pointer; }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }
    // For the out-parameter of a creating call; releases what was held.
    T** put() {
        reset();
        return &pointer;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (pointer != nullptr) std::exchange(pointer, nullptr)->Release();
    }

private:
    T* pointer = nullptr;
};

// CoInitializeEx on this thread for as long as it lives; CoUninitialize
// only when the initialisation succeeded (S_FALSE included: already initialised).
class ComInitialization {
public:
    explicit ComInitialization(DWORD model = COINIT_APARTMENTTHREADED) : result(CoInitializeEx(nullptr, model)) {}
    ~ComInitialization() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    bool succeeded() const { return SUCCEEDED(result); }
    HRESULT code() const { return result; }

private:
    HRESULT result;
};

// --- Windows, menus and GDI ---------------------------------------------------

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct WinEventUnhooker {
    void operator()(HWINEVENTHOOK hook) const { UnhookWinEvent(hook); }
};
using UniqueWinEventHook = std::unique_ptr<std::remove_pointer_t<HWINEVENTHOOK>, WinEventUnhooker>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct MenuDestroyer {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

struct GdiObjectDeleter {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniquePen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiObjectDeleter>;
using UniqueRegion = std::unique_ptr<std::remove_pointer_t<HRGN>, GdiObjectDeleter>;

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc, previous); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

// BeginPaint and EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window(window), dc(BeginPaint(window, &paint)) {}
    ~PaintScope() { EndPaint(window, &paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC context() const { return dc; }

private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc;
};
