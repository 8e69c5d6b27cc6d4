#include "app/preference_table.h"

#include "app/conversions.h"

#include <algorithm>
#include <array>
#include <limits>

namespace pictorn::app {
namespace {

using P = Preferences;
using enum Written;

using namespace rows;

// A check box of the preferences, written by Done.
PreferenceRow check(bool P::*m, std::string_view name, bool fallback, bool anyStateCounts = false) {
    return rows::check(m, name, fallback, AtDone, anyStateCounts);
}

PreferenceRow text(std::string P::*m, std::string_view name, std::string_view fallback,
                   Written when = AtDone) {
    return rows::text(m, name, fallback, when);
}

auto modifierOf(std::size_t hotkey, bool HotkeyModifiers::*held) {
    return [ hotkey, held ](auto& p) -> auto& {
        return p.hotkeys[hotkey].*held;
    };
}

// A hotkey keeps its default modifiers when the stored text is no number: the boxes, the
// summary and Done show the combination registered, not a modifier turned off.
PreferenceRow modifier(std::size_t hotkey, bool HotkeyModifiers::*held, std::string_view name,
                       bool fallback) {
    return row<P, bool>(
        name, AtDone, modifierOf(hotkey, held), fallback,
        [](std::string_view text) -> std::optional<bool> {
            const auto state = numberWithin(text, 0, 2);
            return state ? std::optional(*state == 1) : std::nullopt;
        },
        onOff);
}

PreferenceRow whole(int P::*m, std::string_view name, int fallback, int low, int high,
                    Written when = AtDone, bool emptyIsMissing = false) {
    return row<P, int>(
        name, when, member(m), fallback,
        [low, high](std::string_view text) -> std::optional<int> {
            const auto value = numberWithin(text, low, high);
            return value ? std::optional(static_cast<int>(*value)) : std::nullopt;
        },
        [](const int& value) { return std::to_string(value); }, std::nullopt, emptyIsMissing);
}

// An index into a list of choices; an empty stored text counts as missing.
template <std::size_t N>
PreferenceRow choice(int P::*m, std::string_view name, int fallback,
                     const std::array<std::string_view, N>&, Written when = AtDone) {
    return whole(m, name, fallback, 0, static_cast<int>(N) - 1, when, true);
}

// A menu check mark or flag of the main window, stored as "True" / "False".
PreferenceRow trueFalse(bool P::*m, std::string_view name) {
    return row<P, bool>(name, AtClose, member(m), false, booleanOrNothing,
                        [](const bool& on) { return booleanText(on); });
}

// The main window's edge in twips; nothing (missing, unusable, not taken) leaves the window
// where the system placed it, and nothing is written.
PreferenceRow edge(std::optional<int> P::*m, std::string_view name) {
    PreferenceRow edgeRow = row<P, std::optional<int>>(
        name, AtClose, member(m), std::nullopt,
        [](std::string_view stored) -> std::optional<std::optional<int>> {
            const auto value = numberWithin(stored, std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max());
            if (!value)
                return std::nullopt;
            return std::optional(static_cast<int>(*value));
        },
        [](const std::optional<int>&) { return std::string(); });
    edgeRow.text = [m](const P& p) -> std::optional<std::string> {
        if (!(p.*m))
            return std::nullopt;
        return std::to_string(*(p.*m));
    };
    return edgeRow;
}

SettingTable<Preferences> makeTable() {
    constexpr std::size_t F = kFullScreenHotkey, W = kActiveWindowHotkey, R = kRectangleHotkey;
    using M = HotkeyModifiers;
    constexpr int kLastTab = kTabMiscellaneous;
    return SettingTable<Preferences>({
        // The main window's own, written as it closes in this order.
        edge(&P::windowTop, "Top"),
        edge(&P::windowLeft, "Left"),
        trueFalse(&P::autoExit, "AutoExit"),
        trueFalse(&P::includePointer, "IncludeMousepointer"),
        trueFalse(&P::startedBefore, "Startup"),
        // The preferences dialog's, written by Done in this order.
        row<P, int>(
            "DelayActiveWindow", AtDone, member(&P::delaySeconds), 0,
            [](std::string_view stored) -> std::optional<int> {
                // The delay field holds two characters ("99999" arrives as "99"); a value
                // the delay check would refuse is held to the nearest one it accepts rather
                // than making every capture wait minutes.
                const auto seconds = numberWithin(stored.substr(0, 2), -99, 99);
                if (!seconds)
                    return std::nullopt;
                return static_cast<int>(std::clamp<long long>(*seconds, 0, kMaxDelaySeconds));
            },
            [](const int& seconds) { return std::to_string(seconds); }),
        check(&P::playSound, "PlaySound", true),
        check(&P::keepOnTop, "KeepOnTop", false),
        check(&P::startMinimized, "StartMinimized", false, true),
        check(&P::systemTray, "SystemTray", false),
        check(&P::keepMinimized, "KeepMinimized", false, true),
        text(&P::editorPath, "Editor", kEditorPlaceholder),
        check(&P::autoSave, "AutoSave", false),
        row<P, std::string>(
            "Prefix", AtDoneIfAutoSave, member(&P::prefix), std::string(kDefaultPrefix),
            [](std::string_view stored) -> std::optional<std::string> {
                // Only the dialog checks a typed prefix; a stored one the check would refuse
                // could carry auto-saved pictures out of their folder (..\..\windows\evil_).
                if (checkPrefix(stored) != PrefixCheck::Usable)
                    return std::string(kDefaultPrefix);
                return std::string(stored);
            },
            [](const std::string& prefix) { return prefix; }, std::nullopt, true),
        choice(&P::extensionIndex, "Extension", kPngIndex, kPictureExtensions, AtDoneIfAutoSave),
        onlyWhen(text(&P::defaultFolder, "DefaultFolder", "", AtDoneIfAutoSave),
                 autoSaveFolderGiven),
        modifier(F, &M::ctrl, "HotKeyCTRL1", true),
        modifier(W, &M::ctrl, "HotKeyCTRL2", true),
        modifier(R, &M::ctrl, "HotKeyCTRL3", true),
        modifier(F, &M::alt, "HotKeyALT1", false),
        modifier(W, &M::alt, "HotKeyALT2", false),
        modifier(R, &M::alt, "HotKeyALT3", false),
        modifier(F, &M::shift, "HotKeySHIFT1", true),
        modifier(W, &M::shift, "HotKeySHIFT2", false),
        modifier(R, &M::shift, "HotKeySHIFT3", false),
        whole(&P::jpegQuality, "JPEGquality", 90, 1, 100),
        choice(&P::attachmentExtensionIndex, "Extension4Attachments", kPngIndex,
               kPictureExtensions),
        row<P, Colour>(
            "SelectedColor", AtDone, member(&P::rectangleColour), kRed,
            [](std::string_view stored) {
                // Anything but a colour value would only fail later, when the rectangle is
                // drawn.
                const auto value = numberWithin(stored, 0, 0xFFFFFF);
                return std::optional(
                    Colour{static_cast<std::uint32_t>(value.value_or(kRed.value))});
            },
            [](const Colour& colour) { return std::to_string(colour.value); }),
        check(&P::showMagnifier, "ShowMagnifier", true),
        whole(&P::tab, "Tab", kTabGeneral, kTabGeneral, kLastTab),
        // Written by their own commands.
        text(&P::saveAsType, "Extension4SaveAs", "5", AfterSaveAs),
        row<P, std::optional<std::string>>(
            "HotkeysTakenNoticed", AfterHotkeyNotice, member(&P::hotkeysTakenNoticed), std::nullopt,
            [](std::string_view stored) {
                return std::optional(std::optional(std::string(stored)));
            },
            [](const std::optional<std::string>& names) { return names.value_or(""); }),
    });
}

} // namespace

const SettingTable<Preferences>& preferenceTable() {
    static const SettingTable<Preferences> table = makeTable();
    return table;
}

const Preferences& defaultPreferences() {
    return preferenceTable().defaults();
}

bool autoSaveFolderGiven(const Preferences& values) {
    return !trim(values.defaultFolder).empty() && values.defaultFolder != kEditorPlaceholder;
}

bool savePreferencesAtDone(SettingsStore& store, const Preferences& values) {
    for (const PreferenceRow& r : preferenceTable().rows()) {
        if (r.when == AtDoneIfAutoSave && !values.autoSave)
            continue;
        if (r.when != AtDone && r.when != AtDoneIfAutoSave)
            continue;
        if (r.readyAtDone && !r.readyAtDone(values))
            return false;
        SettingTable<Preferences>::write(store, r, values);
    }
    return true;
}

} // namespace pictorn::app
