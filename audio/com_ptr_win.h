#pragma once
// Owns one COM interface pointer: Release when reset or destroyed. The
// owner decides on which thread and in which order that happens.

#include <utility>

#include <unknwn.h>

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

// CoTaskMemAlloc'd memory handed out by COM calls.
template <typename T>
class CoTaskMemPtr {
public:
    CoTaskMemPtr() = default;
    ~CoTaskMemPtr() { reset(); }
    CoTaskMemPtr(const CoTaskMemPtr&) = delete;
    CoTaskMemPtr& operator=(const CoTaskMemPtr&) = delete;
    T* get() const { return pointer; }
    T* operator->() const { return pointer; }
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
