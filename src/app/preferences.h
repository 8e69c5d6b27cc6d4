#pragma once
// The live preferences that every window reads, as typed values. Their stored names,
// defaults and texts come from the preference table (app/preference_table.h).
#include "app/colour.h"
#include "app/settings.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::app {

// The file types of saved pictures, in the order of the type lists and of the stored list
// indexes ("Extension", "Extension4Attachments"; "Extension4SaveAs" counts from 1).
inline constexpr std::array<std::string_view, 7> kPictureExtensions{".bmp", ".gif", ".jpg", ".pcx",
                                                                    ".png", ".psd", ".tif"};
inline constexpr int kPngIndex = 4;
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

// The main window's stored values as the program uses them while it runs. Their defaults
// are in the preference table (defaultPreferences()), not here.
struct Preferences {
    // The main window's own.
    bool startedBefore{};                     // closed at least once: the position holds
    std::optional<int> windowTop, windowLeft; // twips; nothing: where the system puts it
    bool autoExit{};                          // "Auto Exit" menu check mark
    bool includePointer{};                    // "Include Mousepointer" menu check mark
    // The preferences dialog's.
    int delaySeconds{};
    bool playSound{};
    bool startMinimized{};
    bool systemTray{};
    bool keepMinimized{};
    bool keepOnTop{};
    std::string editorPath;
    bool autoSave{};
    std::string prefix;
    int extensionIndex{};
    std::string defaultFolder;
    std::array<HotkeyModifiers, 3> hotkeys{};
    int jpegQuality{};
    Colour rectangleColour{};
    bool showMagnifier{}; // the selection overlay's, when it opens
    int tab{};            // the preferences' tab that was in front at the last Done
    int attachmentExtensionIndex{};
    // Kept by their own commands.
    // The Save As dialog's file type as stored: its place in the list counted from 1, or the
    // extension of a file saved under a type of another spelling (".JPG").
    std::string saveAsType;
    // The hotkeys found taken by another program when the user was last told so.
    std::optional<std::string> hotkeysTakenNoticed;

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

} // namespace pictorn::app
