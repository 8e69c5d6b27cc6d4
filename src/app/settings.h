#pragma once
// Every persisted value of the program in one table: its name, how it is stored and what
// a missing value stands for. All values live flat in one key of the current user.
#include "app/registry.h"
#include "platform/data_protection.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace pictorn::app {

inline constexpr std::string_view kSettingsKeyPath =
    "HKEY_CURRENT_USER\\Software\\Orvanta\\Pictorn";
inline constexpr std::string_view kEditorPlaceholder = "Click the browse button [...]";

enum class StoredForm { Text, Bytes };
enum class SettingsGroup { MainWindow, Mail, Ftp };

struct SettingDef {
    std::string_view name;
    StoredForm form;
    SettingsGroup group;
    // What a missing value stands for. No default means the reader leaves its control as
    // it was created: the window where the system placed it, a menu entry or check box
    // unchecked, the first tab.
    std::optional<std::string_view> missing;
    // An empty stored text counts as missing too.
    bool emptyIsMissing = false;
};

namespace detail {
using enum StoredForm;
using enum SettingsGroup;
inline constexpr std::optional<std::string_view> kNone = std::nullopt;
} // namespace detail

inline constexpr auto kSettingsCatalogue = [] {
    using namespace detail;
    return std::to_array<SettingDef>({
        {"Startup", Text, MainWindow, "False"},
        {"Top", Text, MainWindow, kNone},
        {"Left", Text, MainWindow, kNone},
        {"AutoExit", Text, MainWindow, kNone},
        {"IncludeMousepointer", Text, MainWindow, kNone},
        {"DelayActiveWindow", Text, MainWindow, "0"},
        {"PlaySound", Text, MainWindow, "1"},
        {"StartMinimized", Text, MainWindow, "0"},
        {"SystemTray", Text, MainWindow, "0"},
        {"KeepMinimized", Text, MainWindow, "0"},
        {"KeepOnTop", Text, MainWindow, "0"},
        {"Editor", Text, MainWindow, kEditorPlaceholder},
        {"AutoSave", Text, MainWindow, "0"},
        {"Prefix", Text, MainWindow, "Pictorn_", true},
        {"Extension", Text, MainWindow, "4", true},
        {"DefaultFolder", Text, MainWindow, ""},
        {"HotKeyCTRL1", Text, MainWindow, "1"},
        {"HotKeyALT1", Text, MainWindow, "0"},
        {"HotKeySHIFT1", Text, MainWindow, "1"},
        {"HotKeyCTRL2", Text, MainWindow, "1"},
        {"HotKeyALT2", Text, MainWindow, "0"},
        {"HotKeySHIFT2", Text, MainWindow, "0"},
        {"HotKeyCTRL3", Text, MainWindow, "1"},
        {"HotKeyALT3", Text, MainWindow, "0"},
        {"HotKeySHIFT3", Text, MainWindow, "0"},
        {"JPEGquality", Text, MainWindow, "90"},
        {"SelectedColor", Text, MainWindow, "255"},
        {"Tab", Text, MainWindow, kNone},
        {"Extension4Attachments", Text, MainWindow, "4", true},
        {"Extension4SaveAs", Text, MainWindow, "5"},
        // The hotkeys found taken by another program when the user was last told so.
        {"HotkeysTakenNoticed", Text, MainWindow, ""},
        {"MailFrom", Text, Mail, ""},
        {"MailTo", Text, Mail, ""},
        {"MailCC", Text, Mail, ""},
        {"MailSubject", Text, Mail, "Screenshot"},
        {"MailSMTP", Text, Mail, ""},
        {"MailSMTPauth", Text, Mail, "0"},
        {"MailSMTPauthUser", Text, Mail, ""},
        {"MailSMTPauthPW", Bytes, Mail, ""},
        {"FTPServer", Text, Ftp, ""},
        {"FTPUser", Text, Ftp, ""},
        {"FTPRemoteDir", Text, Ftp, ""},
        {"FTPPassiveMode", Text, Ftp, kNone},
        {"FTPPw", Bytes, Ftp, ""},
    });
}();

// The catalogue entry of a value; throws std::invalid_argument for a name not in it, so a
// misspelt name fails loudly instead of reading a value that never exists.
const SettingDef& findSetting(std::string_view name);

// Written when the main window closes ("Top" and "Left" only when it is not minimized).
inline constexpr std::array<std::string_view, 5> kWriteOrderAtClose{
    "Top", "Left", "AutoExit", "IncludeMousepointer", "Startup"};
// Written by the preferences' Done.
inline constexpr std::array<std::string_view, 24> kWriteOrderAtDone{"DelayActiveWindow",
                                                                    "PlaySound",
                                                                    "KeepOnTop",
                                                                    "StartMinimized",
                                                                    "SystemTray",
                                                                    "KeepMinimized",
                                                                    "Editor",
                                                                    "AutoSave",
                                                                    "Prefix",
                                                                    "Extension",
                                                                    "DefaultFolder",
                                                                    "HotKeyCTRL1",
                                                                    "HotKeyCTRL2",
                                                                    "HotKeyCTRL3",
                                                                    "HotKeyALT1",
                                                                    "HotKeyALT2",
                                                                    "HotKeyALT3",
                                                                    "HotKeySHIFT1",
                                                                    "HotKeySHIFT2",
                                                                    "HotKeySHIFT3",
                                                                    "JPEGquality",
                                                                    "Extension4Attachments",
                                                                    "SelectedColor",
                                                                    "Tab"};

// The settings key seen through the registry layer, with the catalogue's defaults.
class SettingsStore {
public:
    SettingsStore(Registry& registry, platform::DataProtection& protection,
                  std::string keyPath = std::string(kSettingsKeyPath))
        : registry_(registry), protection_(protection), keyPath_(std::move(keyPath)) {}

    void createKey();
    // The value as stored (in its catalogue form), or "Error" when it cannot be read.
    std::string readRaw(std::string_view name);
    // The value, or its catalogue default when missing (or empty, where that counts as
    // missing); nothing when missing and the catalogue has no default.
    std::optional<std::string> read(std::string_view name);
    void write(std::string_view name, std::string_view text);
    void writeBytes(std::string_view name, std::string_view bytes);
    // Passwords are stored as byte values, sealed for the current user (password_storage.h);
    // the scrambled form of older versions is still read. A failed read, or a seal that does
    // not open, gives an empty password; scrambled bytes that cannot be unscrambled raise
    // AppError 5 (loaders ignore it).
    void writePassword(std::string_view name, std::string_view password);
    std::string readPassword(std::string_view name);

    const std::string& keyPath() const { return keyPath_; }

private:
    Registry& registry_;
    platform::DataProtection& protection_;
    std::string keyPath_;
};

} // namespace pictorn::app
