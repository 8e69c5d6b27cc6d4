#include "platform/win32/win32_clipboard.h"

#include "platform/win32/handle.h"
#include "platform/win32/picture_dib.h"

#include <cstring>

namespace pictorn::platform::win32 {

namespace {

// Memory handed to SetClipboardData belongs to the clipboard once the call succeeds; until
// then it is ours to free.
struct GlobalMemoryTraits {
    using pointer = HGLOBAL;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer memory) noexcept { GlobalFree(memory); }
};
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

GlobalMemory globalCopy(std::span<const std::uint8_t> bytes) {
    GlobalMemory memory{GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size())};
    if (!memory) {
        return {};
    }
    void* target = GlobalLock(memory.get());
    if (!target) {
        return {};
    }
    if (!bytes.empty()) {
        std::memcpy(target, bytes.data(), bytes.size());
    }
    GlobalUnlock(memory.get());
    return memory;
}

// Holds the clipboard open for one operation. Another program may have it open for a
// moment (clipboard viewers and managers read every change); a few short tries wait for
// that, but a program that keeps it open makes us give up quickly.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            if (attempt > 0) {
                Sleep(15);
            }
            open_ = OpenClipboard(owner) != 0;
        }
    }
    ~OpenClipboardScope() {
        if (open_) {
            CloseClipboard();
        }
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool isOpen() const { return open_; }

private:
    bool open_ = false;
};

bool setData(UINT format, GlobalMemory memory) {
    if (!memory || !SetClipboardData(format, memory.get())) {
        return false;
    }
    memory.release(); // the clipboard owns it now
    return true;
}

} // namespace

Win32Clipboard::~Win32Clipboard() = default;

// The clipboard needs an owner window: with none, EmptyClipboard leaves it ownerless and
// SetClipboardData may refuse. A hidden message-only window serves and never shows.
HWND Win32Clipboard::owner() {
    if (!owner_) {
        owner_.reset(CreateWindowExW(0, L"STATIC", L"Pictorn clipboard", 0, 0, 0, 0, 0,
                                     HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
    }
    return owner_.get();
}

ClipboardResult Win32Clipboard::clear() {
    const OpenClipboardScope scope{owner()};
    if (!scope.isOpen()) {
        return ClipboardResult::Busy;
    }
    return EmptyClipboard() ? ClipboardResult::Done : ClipboardResult::Failed;
}

ClipboardResult Win32Clipboard::putPicture(const imaging::Picture& picture,
                                           std::span<const std::uint8_t> png) {
    // Build the data before taking the clipboard, so it is held as briefly as possible.
    const std::vector<std::uint8_t> dib = packedDib(picture);
    GlobalMemory dibMemory = dib.empty() ? GlobalMemory{} : globalCopy(dib);
    GlobalMemory pngMemory = png.empty() ? GlobalMemory{} : globalCopy(png);
    if (!dibMemory) {
        return ClipboardResult::Failed;
    }
    const UINT pngFormat = RegisterClipboardFormatW(L"PNG");

    const OpenClipboardScope scope{owner()};
    if (!scope.isOpen()) {
        return ClipboardResult::Busy;
    }
    if (!EmptyClipboard() || !setData(CF_DIB, std::move(dibMemory))) {
        return ClipboardResult::Failed;
    }
    // The PNG is a bonus for programs that keep colours exactly; the bitmap is enough.
    if (pngFormat != 0 && pngMemory) {
        setData(pngFormat, std::move(pngMemory));
    }
    return ClipboardResult::Done;
}

} // namespace pictorn::platform::win32
