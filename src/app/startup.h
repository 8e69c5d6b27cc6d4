#pragma once
// The program's entry procedure: one copy per user, then the main window.
#include "platform/instance_guard.h"
#include "platform/message_box.h"

#include <functional>

namespace pictorn::app {

// Prepares the common controls (errors ignored), refuses a second copy with the
// "already running" box, then creates the main window under the start-up trap. True when
// the main window was created and the program runs on.
bool Main(platform::InstanceGuard& instance, platform::MessageBoxService& box,
          const std::function<void()>& initCommonControls,
          const std::function<void()>& createMainWindow);

} // namespace pictorn::app
