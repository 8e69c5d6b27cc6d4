#pragma once
// Every headless service in one place, with the Services view the windows take. Tests
// build one of these, arrange the fakes, then drive the windows as a user would.
#include "platform/headless/fake_background_work.h"
#include "platform/headless/fake_charsets.h"
#include "platform/headless/fake_clipboard.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/fake_data_protection.h"
#include "platform/headless/fake_instance_guard.h"
#include "platform/headless/fake_launcher.h"
#include "platform/headless/fake_printers.h"
#include "platform/headless/fake_screen_capture.h"
#include "platform/headless/fake_shell.h"
#include "platform/headless/fake_sound.h"
#include "platform/headless/fake_text_rasterizer.h"
#include "platform/headless/fake_tray_and_hotkeys.h"
#include "platform/headless/headless_toolkit.h"
#include "platform/headless/memory_file_system.h"
#include "platform/headless/memory_registry.h"
#include "platform/headless/offline_network.h"
#include "platform/headless/scripted_file_dialogs.h"
#include "platform/headless/scripted_message_box.h"
#include "platform/services.h"

namespace pictorn::headless {

struct HeadlessServices {
    HeadlessServices() {
        ui.onWait = [this](int ms) {
            clock.advance(ms);
        };
    }
    // With real windows instead (Windows-side tests of a window): every other service
    // stays in memory.
    explicit HeadlessServices(ui::UiToolkit& realToolkit) : realToolkit_(&realToolkit) {}
    // With a real network (window tests against local servers).
    explicit HeadlessServices(platform::Network& realNetwork) : realNetwork_(&realNetwork) {
        ui.onWait = [this](int ms) {
            clock.advance(ms);
        };
    }

    MemoryRegistry registry;
    ScriptedMessageBox messageBox;
    MemoryFileSystem files;
    ScriptedFileDialogs fileDialogs;
    FakeShell shell;
    FakeClock clock;
    FakeInstanceGuard instance;
    HeadlessToolkit ui;
    FakeLauncher launcher;
    FakeSound sound;
    FakeTrayIcon tray;
    FakeHotkeys hotkeys;
    FakeClipboard clipboard;
    FakePrinters printers;
    FakeScreenCapture screen;
    FakeDataProtection protection;
    FakeCharsets charsets;
    OfflineNetwork network;
    FakeBackgroundWork background;
    FakeTextRasterizer text;

private:
    ui::UiToolkit* realToolkit_ = nullptr;
    platform::Network* realNetwork_ = nullptr;

public:
    platform::Services services{.registry = registry,
                                .messageBox = messageBox,
                                .files = files,
                                .fileDialogs = fileDialogs,
                                .shell = shell,
                                .clock = clock,
                                .instance = instance,
                                .ui = realToolkit_ ? *realToolkit_ : ui,
                                .launcher = launcher,
                                .sound = sound,
                                .tray = tray,
                                .hotkeys = hotkeys,
                                .clipboard = clipboard,
                                .printers = printers,
                                .screen = screen,
                                .protection = protection,
                                .network = realNetwork_ ? *realNetwork_ : network,
                                .charsets = charsets,
                                .background = background,
                                .text = text};
};

} // namespace pictorn::headless
