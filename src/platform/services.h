#pragma once
// The operating-system services a window or routine may use, handed down by whoever
// creates it (no global singletons). Each platform supplies one implementation of each.
#include "platform/background_work.h"
#include "platform/charset.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/data_protection.h"
#include "platform/file_dialogs.h"
#include "platform/file_system.h"
#include "platform/hotkeys.h"
#include "platform/instance_guard.h"
#include "platform/launcher.h"
#include "platform/message_box.h"
#include "platform/network.h"
#include "platform/printer.h"
#include "platform/registry_api.h"
#include "platform/screen_capture.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text_rasterizer.h"
#include "platform/tray_icon.h"

namespace pictorn::ui {
class UiToolkit;
}

namespace pictorn::platform {

struct Services {
    RegistryApi& registry;
    MessageBoxService& messageBox;
    FileSystem& files;
    FileDialogs& fileDialogs;
    Shell& shell;
    Clock& clock;
    InstanceGuard& instance;
    ui::UiToolkit& ui;
    Launcher& launcher;
    Sound& sound;
    TrayIcon& tray;
    Hotkeys& hotkeys;
    Clipboard& clipboard;
    Printers& printers;
    ScreenCapture& screen;
    DataProtection& protection; // stored passwords
    // Connections to mail and FTP servers; one per program, outliving every connection.
    Network& network;
    // Mail texts in the charset the user picked.
    Charsets& charsets;
    BackgroundWork& background;
    // Text the mark-up window draws into pictures.
    TextRasterizer& text;
};

} // namespace pictorn::platform
