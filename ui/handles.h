#pragma once
// RAII for the Win32 handles the program holds: each type owns one handle and frees it with
// the call that matches how it was obtained. Move-only; a null handle frees nothing.

#include <windows.h>

#include <utility>

namespace velkaro::ui {

template <typename Handle, typename Free>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle(); }
    Handle release() { return std::exchange(handle_, Handle()); }
    void reset(Handle handle = Handle()) {
        if (handle_ != Handle()) Free()(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Handle();
};

struct GdiObjectFree {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct IconFree {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct MenuFree {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
struct WindowFree {
    void operator()(HWND window) const { DestroyWindow(window); }
};
struct KernelHandleFree {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct GlobalMemoryFree {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};

using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectFree>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectFree>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectFree>;
// For icons made or loaded without LR_SHARED; shared icons are never destroyed.
using UniqueIcon = UniqueHandle<HICON, IconFree>;
using UniqueMenu = UniqueHandle<HMENU, MenuFree>;
using UniqueModule = UniqueHandle<HMODULE, ModuleFree>;
using UniqueWindow = UniqueHandle<HWND, WindowFree>;
// Files, processes, events: everything CloseHandle frees (INVALID_HANDLE_VALUE is not held).
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleFree>;
// Global memory that has not been handed to the clipboard.
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalMemoryFree>;

// A window's DC for the scope (GetDC / ReleaseDC).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint for the scope of a WM_PAINT handler.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// A GDI object selected into a DC for the scope; the previous object comes back at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GlobalLock / GlobalUnlock for the scope; get() is null when the lock failed.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    ~GlobalLockScope() {
        if (data_) GlobalUnlock(memory_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* get() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

}  // namespace velkaro::ui
