#include "platform/win32/win32_core_binding.h"

#include "platform/win32/handle.h"

#include <utility>

namespace pictorn::platform::win32 {

namespace {

DWORD_PTR coreBit(DWORD core) {
    return core < sizeof(DWORD_PTR) * 8 ? DWORD_PTR{1} << core : 0;
}

class BoundHelper final : public imaging::CoreBinding::Helper {
public:
    BoundHelper(Handle thread, DWORD_PTR cores) : thread_(std::move(thread)), cores_(cores) {}

    void keepOff(int core) noexcept override {
        const DWORD_PTR others = cores_ & ~coreBit(static_cast<DWORD>(core));
        if (thread_ && others != 0) {
            SetThreadAffinityMask(thread_.get(), others);
        }
    }

private:
    Handle thread_;
    DWORD_PTR cores_;
};

class HeldThread final : public imaging::CoreBinding::Held {
public:
    explicit HeldThread(DWORD_PTR cores) {
        // The number within this thread's processor group, which is what its affinity names.
        const DWORD core = GetCurrentProcessorNumber();
        const DWORD_PTR bit = coreBit(core);
        // Where this is the only core there is nothing to keep apart.
        if ((cores & bit) != 0 && (cores & ~bit) != 0) {
            before_ = SetThreadAffinityMask(GetCurrentThread(), bit);
            if (before_ != 0) {
                core_ = static_cast<int>(core);
            }
        }
    }
    ~HeldThread() override {
        if (core_ >= 0) {
            SetThreadAffinityMask(GetCurrentThread(), before_);
        }
    }
    HeldThread(const HeldThread&) = delete;
    HeldThread& operator=(const HeldThread&) = delete;

    int core() const noexcept override { return core_; }

private:
    DWORD_PTR before_ = 0;
    int core_ = -1;
};

} // namespace

Win32CoreBinding::Win32CoreBinding() {
    DWORD_PTR system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &cores_, &system)) {
        cores_ = 0;
    }
}

// A handle of its own to the calling thread: the pseudo handle would name whichever thread
// uses it.
std::unique_ptr<imaging::CoreBinding::Helper> Win32CoreBinding::thisHelper() {
    Handle thread;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), thread.put(),
                         THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, 0)) {
        thread.reset();
    }
    return std::make_unique<BoundHelper>(std::move(thread), cores_);
}

std::unique_ptr<imaging::CoreBinding::Held> Win32CoreBinding::holdThisThread() {
    return std::make_unique<HeldThread>(cores_);
}

} // namespace pictorn::platform::win32
