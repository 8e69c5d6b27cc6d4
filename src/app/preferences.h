#pragma once
// The program's settings as typed values: the live preferences that every window reads,
// and the mail and FTP settings. Loading, defaults and stored texts all come from the one
// settings catalogue (app/settings.h); the preferences dialog is where the live values are
// changed.
#include "app/colour.h"
#include "app/settings.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::app {

// The file types of saved pictures, in the order of the type lists and of the stored list
// indexes ("Extension", "Extension4Attachments"; "Extension4SaveAs" counts from 1).
inline constexpr std::array<std::string_view, 7> kPictureExtensions{".bmp", ".gif", ".jpg", ".pcx",
                                                                    ".png", ".psd", ".tif"};
inline constexpr int kPngIndex = 4;
inline constexpr int kDefaultJpegQuality = 90;
inline constexpr std::string_view kDefaultPrefix = "Pictorn_";
// The capture delay in whole seconds: 0 (none) to this.
inline constexpr int kMaxDelaySeconds = 60;

// The preferences' tabs, as the stored "Tab" counts them.
enum PreferencesTab { kTabGeneral = 0, kTabSaveAndEdit = 1, kTabMiscellaneous = 2 };

// The modifiers of one capture hotkey.
struct HotkeyModifiers {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;

    // "CTRL+", "ALT+", "SHIFT+" for each one held, in that order ("CTRL+SHIFT+").
    std::string prefix() const;
    bool operator==(const HotkeyModifiers&) const = default;
};

// The three hotkeys, by their place in the settings and in the preferences.
enum HotkeyIndex { kFullScreenHotkey = 0, kActiveWindowHotkey = 1, kRectangleHotkey = 2 };

// The preferences as the program uses them while it runs. The initial values are those of
// the preferences dialog's controls as it is made; a stored value that cannot be used
// leaves its field at what it was.
struct Preferences {
    int delaySeconds = 0;
    bool playSound = false;
    bool startMinimized = false;
    bool systemTray = false;
    bool keepMinimized = false;
    bool keepOnTop = false;
    std::string editorPath;
    bool autoSave = false;
    std::string prefix;
    int extensionIndex = kPngIndex;
    std::string defaultFolder;
    std::array<HotkeyModifiers, 3> hotkeys{};
    int jpegQuality = kDefaultJpegQuality;
    Colour rectangleColour = kRed;
    int tab = 0; // the preferences' tab that was in front at the last Done
    int attachmentExtensionIndex = kPngIndex;

    bool operator==(const Preferences&) const = default;
};

// The preferences' check of a file-name prefix, as typed or as stored.
enum class PrefixCheck {
    Usable,
    Blank,   // empty or one space: the default prefix takes its place
    Reserved // holds a character reserved in file names (separators, dots, ...): refused
};
PrefixCheck checkPrefix(std::string_view text);

// The extension of a list index; ".png" for an index outside the list.
std::string_view pictureExtension(int index);

// Reads every preference from the store into `into`, in the catalogue's names. A value the
// store does not have stands for its catalogue default; one that cannot be converted (or
// is out of range) leaves its field untouched, except a hotkey modifier, which takes its
// default. Never raises and never shows a message.
// Returns the names of the stored values that could not be used.
std::vector<std::string_view> loadPreferences(SettingsStore& store, Preferences& into);

// The text Done stores for one preference (a name of kWriteOrderAtDone).
std::string preferenceText(const Preferences& preferences, std::string_view name);

// The mail window's settings (catalogue group Mail).
struct MailSettings {
    std::string from;
    std::string to;
    std::string cc;
    std::string subject;
    std::string server;
    bool authenticate = false;
    // Read only when the server wants authentication; the password is stored sealed.
    std::string user;
    std::string password;

    bool operator==(const MailSettings&) const = default;
};

// The FTP window's settings (catalogue group Ftp).
struct FtpSettings {
    std::string server;
    std::string user;
    std::string remoteDir;
    bool passiveMode = false;
    std::string password; // stored sealed

    bool operator==(const FtpSettings&) const = default;
};

// Each creates the settings key first, as the windows do when they open; unreadable values
// give their defaults, without a message.
MailSettings loadMailSettings(SettingsStore& store);
FtpSettings loadFtpSettings(SettingsStore& store);
// Every value of the group in catalogue order; a write that fails is skipped.
void saveMailSettings(SettingsStore& store, const MailSettings& settings);
void saveFtpSettings(SettingsStore& store, const FtpSettings& settings);

} // namespace pictorn::app
