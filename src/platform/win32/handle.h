#pragma once
// Ownership of Win32 handles. Every handle the win32 layer opens lives in one of these,
// so each is closed exactly once, by the function that matches how it was obtained.
//
// A traits type supplies `pointer`, `invalid()` (the empty value) and `close(pointer)`;
// it may add `valid(pointer)` when more than one value means "no handle" (HANDLE has
// both NULL and INVALID_HANDLE_VALUE, depending on the function that returned it).
#include <windows.h>

#include <cstdint>
#include <utility>

namespace pictorn::platform::win32 {

template <typename Traits> class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { closeIfValid(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    pointer get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return isValid(handle_); }

    // Gives up ownership without closing.
    pointer release() noexcept { return std::exchange(handle_, Traits::invalid()); }

    // Closes the current handle (if any) and takes ownership of another one. Resetting to
    // the handle already held keeps it open: closing it would leave us owning a dead handle.
    void reset(pointer handle = Traits::invalid()) noexcept {
        if (handle == handle_) {
            return;
        }
        closeIfValid();
        handle_ = handle;
    }

    // For functions that return a handle through an out parameter.
    pointer* put() noexcept {
        reset();
        return &handle_;
    }

    static bool isValid(pointer handle) noexcept {
        if constexpr (requires { Traits::valid(handle); }) {
            return Traits::valid(handle);
        } else {
            return handle != Traits::invalid();
        }
    }

private:
    void closeIfValid() noexcept {
        if (isValid(handle_)) {
            Traits::close(std::exchange(handle_, Traits::invalid()));
        }
    }

    pointer handle_ = Traits::invalid();
};

// The predefined registry hives (HKEY_CLASSES_ROOT ...) are sign-extended 32-bit values
// on 64-bit Windows. They belong to the system and are never closed by us.
inline bool isPredefinedKey(HKEY key) noexcept {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    const auto low = static_cast<std::uint32_t>(value);
    const auto high = static_cast<std::uint64_t>(value) >> 32;
    return low >= 0x80000000u && low <= 0x800000FFu && (high == 0 || high == 0xFFFFFFFFu);
}

struct KeyTraits {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static bool valid(pointer key) noexcept { return key != nullptr && !isPredefinedKey(key); }
    static void close(pointer key) noexcept { RegCloseKey(key); }
};

struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static bool valid(pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { CloseHandle(h); }
};

struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { FindClose(h); }
};

struct IconTraits {
    using pointer = HICON;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer icon) noexcept { DestroyIcon(icon); }
};

template <typename GdiHandle> struct GdiObjectTraits {
    using pointer = GdiHandle;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer object) noexcept { DeleteObject(object); }
};

struct MenuTraits {
    using pointer = HMENU;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer menu) noexcept { DestroyMenu(menu); }
};

// A helper window (a message-only one, say) that its creator destroys itself. Windows that
// route their messages to an object belong to that object instead (ui_window.h).
struct WindowTraits {
    using pointer = HWND;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer window) noexcept { DestroyWindow(window); }
};

// A DC made by CreateCompatibleDC / CreateDCW.
struct CreatedDcTraits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer dc) noexcept { DeleteDC(dc); }
};

// A DC borrowed from a window by GetDC / GetWindowDC: it goes back to that same window.
struct WindowDcRef {
    HWND window = nullptr;
    HDC dc = nullptr;
    friend bool operator==(const WindowDcRef&, const WindowDcRef&) = default;
};

struct WindowDcTraits {
    using pointer = WindowDcRef;
    static pointer invalid() noexcept { return {}; }
    static bool valid(pointer ref) noexcept { return ref.dc != nullptr; }
    static void close(pointer ref) noexcept { ReleaseDC(ref.window, ref.dc); }
};

// Memory from LocalAlloc, as FormatMessageW and ConvertSidToStringSidW hand it out.
struct LocalMemoryTraits {
    using pointer = HLOCAL;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer memory) noexcept { LocalFree(memory); }
};

using RegKey = UniqueHandle<KeyTraits>;
using Handle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using Icon = UniqueHandle<IconTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits<HGDIOBJ>>;
using Bitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using Brush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using Pen = UniqueHandle<GdiObjectTraits<HPEN>>;
using Font = UniqueHandle<GdiObjectTraits<HFONT>>;
using Region = UniqueHandle<GdiObjectTraits<HRGN>>;
using Menu = UniqueHandle<MenuTraits>;
using OwnedWindow = UniqueHandle<WindowTraits>;
using CreatedDc = UniqueHandle<CreatedDcTraits>;
using WindowDc = UniqueHandle<WindowDcTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;

// GetDC(window) with the release tied to the same window (nullptr: the whole screen).
inline WindowDc windowDc(HWND window) noexcept {
    return WindowDc{{window, GetDC(window)}};
}

// Selects an object into a DC for a scope and puts the previous one back, so a DC is never
// destroyed with our object still selected (which would leak it). Declare it after the
// object it selects, so it is destroyed first.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectObjectGuard() {
        if (selected()) {
            SelectObject(dc_, old_);
        }
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

    bool selected() const noexcept { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace pictorn::platform::win32
