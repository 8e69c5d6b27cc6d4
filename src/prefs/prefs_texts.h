#pragma once
// The fixed texts of the preferences dialog's messages and the values its controls stand
// for. Messages join their lines with CR LF.
#include <cstdint>
#include <string_view>

namespace pictorn::prefs {

inline constexpr std::string_view kNewLine = "\r\n";

// Text colours of the hotkey rows.
inline constexpr std::uint32_t kFullScreenRowColor = 0xC00000;
inline constexpr std::uint32_t kActiveWindowRowColor = 0x000080;
inline constexpr std::uint32_t kRectangleRowColor = 0x000000;
inline constexpr std::uint32_t kRowTitleColor = 0x404040;

inline constexpr std::string_view kPellamTitle = "I'm afraid I can't do that Pellam...";
inline constexpr std::string_view kRangeEmpty = "Please enter a value in the range of 1 - 60.";
inline constexpr std::string_view kRange = "Please enter a value in the range of 0 - 60.";
inline constexpr std::string_view kPathNotCorrect =
    "The path you entered is not correct.\r\nPlease check the entry, or use the [...] browse "
    "button.";
inline constexpr std::string_view kAttentionTitle = "Attention!";
inline constexpr std::string_view kLocationNotAvailable =
    "The location you have chosen is not available...\r\nPlease pick another folder.       ";
inline constexpr std::string_view kReservedTitle = "Oh no...";
inline constexpr std::string_view kNoFolderTitle = "No folder defined yet for screen shots";
inline constexpr std::string_view kNoFolder =
    "If Auto Save is on, you need to choose a folder where the screen shots should be saved "
    "to.\r\nIn the [Save screen shots to this location] box, please enter a valid path, or use "
    "the [...] browse button.";
inline constexpr std::string_view kAllGoodTitle = "All good";
inline constexpr std::string_view kAllGood =
    "All settings saved.\r\n\r\nIf you changed your HotKey preferences, please restart Pictorn "
    "to activate the new HotKeys.";

inline constexpr std::string_view kEditorPickerTitle = "Locate your favorite Image Editor";
inline constexpr std::string_view kEditorPickerFilter = "Program files (*.exe)|*.exe";
inline constexpr std::string_view kFolderBrowserTitle = "Browse for folder";
inline constexpr std::string_view kFolderBrowserPrompt = "Select a folder please";

} // namespace pictorn::prefs
