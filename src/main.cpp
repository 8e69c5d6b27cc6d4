// The Windows entry point: builds the real platform and hands it to the start-up code.
#include "app/command_options.h"
#include "app/preference_store.h"
#include "app/startup.h"
#include "capture/frm_rectangle.h"
#include "imaging/core_binding.h"
#include "mainwindow/frm_main.h"
#include "platform/services.h"
#include "platform/win32/label_classes.h"
#include "platform/win32/overlay_window.h"
#include "platform/win32/text.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "platform/win32/win32_background_work.h"
#include "platform/win32/win32_charsets.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_core_binding.h"
#include "platform/win32/win32_data_protection.h"
#include "platform/win32/win32_file_dialogs.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_hotkeys.h"
#include "platform/win32/win32_instance_guard.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_network.h"
#include "platform/win32/win32_printer.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_screen_capture.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_text_rasterizer.h"
#include "platform/win32/win32_tray_icon.h"

#include <shellapi.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The program's arguments (without its own name), in UTF-8.
std::vector<std::string> commandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(pictorn::platform::win32::toUtf8(argv[i]));
    LocalFree(argv);
    return arguments;
}

// What the toolkit needs to know of the program's own windows before any of them loads:
// the rectangle overlay draws itself, and the about box's template names the title and
// link label classes.
void registerProgramWindows(pictorn::platform::win32::Win32Toolkit& toolkit) {
    toolkit.registerPeerFactory(pictorn::capture::kRectangleFormName,
                                &pictorn::platform::win32::OverlayWindow::make);
    pictorn::platform::win32::registerLabelClasses();
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace pictorn;
    platform::win32::Win32Registry registry;
    platform::win32::Win32MessageBox messageBox;
    platform::win32::Win32FileSystem files;
    platform::win32::Win32FileDialogs fileDialogs;
    platform::win32::Win32Shell shell;
    platform::win32::Win32Clock clock;
    platform::win32::Win32InstanceGuard instance;

    const app::cli::ParseResult parsed = app::cli::parse(commandLineArguments());
    if (!parsed.ok()) {
        messageBox.show(app::cli::errorMessage(parsed), platform::mb::kIconExclamation, "Pictorn");
        return app::cli::kExitBadArguments;
    }
    if (parsed.request.showUsage) {
        messageBox.show(app::cli::usageText(), platform::mb::kIconInformation, "Pictorn");
        return 0;
    }
    app::cli::Request request = parsed.request;
    // A relative name means the folder this command was given in, which the running copy
    // does not know.
    std::string fullPath;
    if (!request.savePath.empty() && files.fullPathName(request.savePath, fullPath) == 0)
        request.savePath = fullPath;
    if (!request.empty() && !instance.claim()) {
        const platform::ForwardOutcome outcome =
            instance.forward(app::cli::toArguments(request), app::cli::forwardWaitMs(request));
        if (outcome.status != platform::ForwardOutcome::Status::NotDelivered) {
            const app::cli::ForwardedResult result = app::cli::forwardedResult(outcome, request);
            if (!result.message.empty())
                messageBox.show(result.message, platform::mb::kIconExclamation, "Pictorn");
            return result.exitCode;
        }
    }
    imaging::bindCoresWith(std::make_shared<platform::win32::Win32CoreBinding>());
    platform::win32::Win32Toolkit toolkit;
    registerProgramWindows(toolkit);
    platform::win32::Win32Launcher launcher;
    platform::win32::Win32Sound sound;
    platform::win32::Win32TrayIcon tray(toolkit.programIcon());
    platform::win32::Win32Hotkeys hotkeys;
    platform::win32::Win32Clipboard clipboard;
    platform::win32::Win32Printers printers;
    platform::win32::Win32ScreenCapture screen;
    platform::win32::Win32DataProtection protection;
    platform::win32::Win32Network network;
    platform::win32::Win32Charsets charsets;
    platform::win32::Win32BackgroundWork background;
    platform::win32::Win32TextRasterizer text;
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
                                .screen = screen,
                                .protection = protection,
                                .network = network,
                                .charsets = charsets,
                                .background = background,
                                .text = text};

    // Beside the main window and outliving it: the window listens to it.
    app::PreferenceStore preferences(services);
    std::unique_ptr<FrmMain> mainWindow;
    const bool running = app::Main(
        instance, messageBox, [&] { toolkit.initCommonControls(); },
        [&] {
            mainWindow = std::make_unique<FrmMain>(services, preferences);
            mainWindow->show();
            instance.onForwarded = [&](const std::vector<std::string>& arguments,
                                       std::shared_ptr<platform::ForwardedReply> reply) {
                const app::cli::ParseResult forwarded = app::cli::parse(arguments);
                if (!forwarded.ok())
                    reply->answer(app::cli::kExitBadArguments, app::cli::errorMessage(forwarded));
                else if (mainWindow)
                    mainWindow->queueCommandLine(forwarded.request, std::move(reply));
            };
            instance.listen(*mainWindow);
            mainWindow->queueCommandLine(request);
        });
    // A request that no copy took (the running one never answered) has failed.
    if (!running || !mainWindow || !mainWindow->loaded())
        return request.empty() ? app::cli::kExitDone : app::cli::kExitFailed;
    // The main window ends the loop with the outcome of this copy's own request.
    return toolkit.run();
}
