#pragma once
// The threads of a pass kept on cores of their own through their affinity: the caller held on
// the core it is on, the helpers on the others, for as long as the pass runs.
#include "imaging/core_binding.h"

#include <windows.h>

#include <memory>

namespace pictorn::platform::win32 {

class Win32CoreBinding final : public imaging::CoreBinding {
public:
    Win32CoreBinding();
    std::unique_ptr<Helper> thisHelper() override;
    std::unique_ptr<Held> holdThisThread() override;

private:
    DWORD_PTR cores_ = 0; // the process's, as it started
};

} // namespace pictorn::platform::win32
