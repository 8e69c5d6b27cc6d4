// The Windows entry point: builds the real platform and hands it to the start-up code.
#include "app/startup.h"
#include "mainwindow/frm_main.h"
#include "platform/services.h"
#include "platform/win32/about_box_controls.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_dialogs.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_hotkeys.h"
#include "platform/win32/win32_instance_guard.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_printer.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_screen_capture.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_tray_icon.h"

#include <windows.h>

#include <memory>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace pictorn;
    platform::win32::Win32Registry registry;
    platform::win32::Win32MessageBox messageBox;
    platform::win32::Win32FileSystem files;
    platform::win32::Win32FileDialogs fileDialogs;
    platform::win32::Win32Shell shell;
    platform::win32::Win32Clock clock;
    platform::win32::Win32InstanceGuard instance;
    platform::win32::Win32Toolkit toolkit;
    // The about box's title and link classes must exist before its dialog is made.
    platform::win32::registerAboutBoxControls();
    platform::win32::Win32Launcher launcher;
    platform::win32::Win32Sound sound;
    platform::win32::Win32TrayIcon tray(toolkit.programIcon());
    platform::win32::Win32Hotkeys hotkeys;
    platform::win32::Win32Clipboard clipboard;
    platform::win32::Win32Printers printers;
    platform::win32::Win32ScreenCapture screen;
    // Designated, so each service is named where it is handed over.
    platform::Services services{.registry = registry,
                                .messageBox = messageBox,
                                .files = files,
                                .fileDialogs = fileDialogs,
                                .shell = shell,
                                .clock = clock,
                                .instance = instance,
                                .ui = toolkit,
                                .launcher = launcher,
                                .sound = sound,
                                .tray = tray,
                                .hotkeys = hotkeys,
                                .clipboard = clipboard,
                                .printers = printers,
                                .screen = screen};

    std::unique_ptr<FrmMain> mainWindow;
    const bool running = app::Main(
        instance, messageBox, [&] { toolkit.initCommonControls(); },
        [&] {
            mainWindow = std::make_unique<FrmMain>(services);
            mainWindow->show();
        });
    if (!running || !mainWindow || !mainWindow->loaded())
        return 0;
    return toolkit.run();
}
