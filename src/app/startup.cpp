#include "app/startup.h"

#include "app/error_report.h"

namespace pictorn::app {

bool Main(platform::InstanceGuard& instance, platform::MessageBoxService& box,
          const std::function<void()>& initCommonControls,
          const std::function<void()>& createMainWindow) {
    ignoreErrors([&] {
        if (initCommonControls) {
            initCommonControls();
        }
    });
    bool created = false;
    trap(box, kStartupLabel, startupClosingLine, [&] {
        if (!instance.claim()) {
            box.show("Pictorn is already running...", platform::mb::kIconInformation, "Info");
            return;
        }
        createMainWindow();
        created = true;
    });
    return created;
}

} // namespace pictorn::app
