#pragma once
// Owns a kernel handle (a file, an event): CloseHandle when reset or destroyed.

#include <memory>

#include <windows.h>

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, most other calls as
// null; both give an empty holder.
inline UniqueHandle ownHandle(HANDLE raw) { return UniqueHandle(raw == INVALID_HANDLE_VALUE ? nullptr : raw); }
