#pragma once
#include "platform/message_box.h"

namespace pictorn::platform::win32 {

class Win32MessageBox final : public MessageBoxService {
public:
    int show(std::string_view text, unsigned flags, std::string_view title,
             std::string_view helpFile = {}, int helpContext = 0) override;
};

// The style actually passed to the system: without an owner window a box would not block
// the program's other windows, so it is made task-modal unless the caller chose a mode.
unsigned effectiveMessageBoxStyle(unsigned flags, bool hasOwner) noexcept;

} // namespace pictorn::platform::win32
