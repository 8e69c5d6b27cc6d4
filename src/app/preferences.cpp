#include "app/preferences.h"

#include "app/conversions.h"
#include "app/error_report.h"
#include "app/global_routines.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <utility>

namespace pictorn::app {
namespace {

// One stored preference: how its stored text goes into the typed value and back. The load
// rules of every preference live in the table below and nowhere else.
struct PreferenceField {
    std::string_view name;
    // False when the text cannot be used; the value is then left as it was.
    bool (*load)(Preferences&, std::string_view text);
    std::string (*text)(const Preferences&);
    // Text that cannot be used gives the catalogue default instead of leaving the value.
    bool unusableGivesDefault = false;
};

// A stored number within [low, high]; nothing for text that is not one or lies outside.
std::optional<long long> number(std::string_view text, long long low, long long high) {
    const std::optional<long long> value = numberOrNothing(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

std::string onOff(bool on) {
    return on ? "1" : "0";
}

// A check box's stored state: 0, 1, or 2 (greyed). Most readers act only on a checked box;
// the two "minimized" options act on any state but unchecked.
template <bool Preferences::*Member, bool AnyStateCounts = false>
PreferenceField checkBox(std::string_view name) {
    return {name,
            [](Preferences& p, std::string_view text) {
                const auto state = number(text, 0, 2);
                if (state)
                    p.*Member = AnyStateCounts ? *state != 0 : *state == 1;
                return state.has_value();
            },
            [](const Preferences& p) {
                return onOff(p.*Member);
            }};
}

// A hotkey control starts with its default modifiers and keeps them when the stored text is
// no number; the boxes, the summary and Done must show that same combination, not a
// modifier turned off.
template <std::size_t Hotkey, bool HotkeyModifiers::*Modifier>
PreferenceField hotkeyModifier(std::string_view name) {
    return {name,
            [](Preferences& p, std::string_view text) {
                const auto state = number(text, 0, 2);
                if (state)
                    p.hotkeys[Hotkey].*Modifier = *state == 1;
                return state.has_value();
            },
            [](const Preferences& p) { return onOff(p.hotkeys[Hotkey].*Modifier); }, true};
}

template <int Preferences::*Member, int Low, int High>
PreferenceField wholeNumber(std::string_view name) {
    return {name,
            [](Preferences& p, std::string_view text) {
                const auto value = number(text, Low, High);
                if (value)
                    p.*Member = static_cast<int>(*value);
                return value.has_value();
            },
            [](const Preferences& p) {
                return std::to_string(p.*Member);
            }};
}

template <std::string Preferences::*Member> PreferenceField plainText(std::string_view name) {
    return {name,
            [](Preferences& p, std::string_view text) {
                p.*Member = std::string(text);
                return true;
            },
            [](const Preferences& p) {
                return p.*Member;
            }};
}

constexpr int kLastExtension = static_cast<int>(kPictureExtensions.size()) - 1;

// In the order start-up reads them.
const std::array<PreferenceField, 24> kPreferenceFields{{
    {"DelayActiveWindow",
     [](Preferences& p, std::string_view text) {
         // The delay field holds two characters: a failure marker arrives as "Er".
         text = text.substr(0, 2);
         const auto seconds = text == "Er" ? std::optional<long long>(0) : number(text, -99, 99);
         // A value the delay check would refuse ("99999" arrives as "99") is held to the
         // nearest one it accepts rather than making every capture wait minutes.
         if (seconds)
             p.delaySeconds =
                 static_cast<int>(std::clamp<long long>(*seconds, 0, kMaxDelaySeconds));
         return seconds.has_value();
     },
     [](const Preferences& p) {
         return std::to_string(p.delaySeconds);
     }},
    checkBox<&Preferences::playSound>("PlaySound"),
    checkBox<&Preferences::startMinimized, true>("StartMinimized"),
    checkBox<&Preferences::systemTray>("SystemTray"),
    checkBox<&Preferences::keepMinimized, true>("KeepMinimized"),
    checkBox<&Preferences::keepOnTop>("KeepOnTop"),
    plainText<&Preferences::editorPath>("Editor"),
    checkBox<&Preferences::autoSave>("AutoSave"),
    {"Prefix",
     [](Preferences& p, std::string_view text) {
         // Only the dialog checks a typed prefix; a stored one the check would refuse could
         // carry auto-saved pictures out of their folder (..\..\windows\evil_).
         p.prefix = checkPrefix(text) == PrefixCheck::Usable ? std::string(text)
                                                             : std::string(kDefaultPrefix);
         return true;
     },
     [](const Preferences& p) {
         return p.prefix;
     }},
    wholeNumber<&Preferences::extensionIndex, 0, kLastExtension>("Extension"),
    plainText<&Preferences::defaultFolder>("DefaultFolder"),
    hotkeyModifier<kFullScreenHotkey, &HotkeyModifiers::ctrl>("HotKeyCTRL1"),
    hotkeyModifier<kActiveWindowHotkey, &HotkeyModifiers::ctrl>("HotKeyCTRL2"),
    hotkeyModifier<kRectangleHotkey, &HotkeyModifiers::ctrl>("HotKeyCTRL3"),
    hotkeyModifier<kFullScreenHotkey, &HotkeyModifiers::alt>("HotKeyALT1"),
    hotkeyModifier<kActiveWindowHotkey, &HotkeyModifiers::alt>("HotKeyALT2"),
    hotkeyModifier<kRectangleHotkey, &HotkeyModifiers::alt>("HotKeyALT3"),
    hotkeyModifier<kFullScreenHotkey, &HotkeyModifiers::shift>("HotKeySHIFT1"),
    hotkeyModifier<kActiveWindowHotkey, &HotkeyModifiers::shift>("HotKeySHIFT2"),
    hotkeyModifier<kRectangleHotkey, &HotkeyModifiers::shift>("HotKeySHIFT3"),
    wholeNumber<&Preferences::jpegQuality, 1, 100>("JPEGquality"),
    {"SelectedColor",
     [](Preferences& p, std::string_view text) {
         // Anything but a colour value would only fail later, when the rectangle is drawn.
         p.rectangleColour =
             Colour{static_cast<std::uint32_t>(number(text, 0, 0xFFFFFF).value_or(kRed.value))};
         return true;
     },
     [](const Preferences& p) {
         return std::to_string(p.rectangleColour.value);
     }},
    wholeNumber<&Preferences::tab, 0, 2>("Tab"),
    wholeNumber<&Preferences::attachmentExtensionIndex, 0, kLastExtension>("Extension4Attachments"),
}};

const PreferenceField& preferenceField(std::string_view name) {
    for (const PreferenceField& field : kPreferenceFields)
        if (field.name == name)
            return field;
    throw std::invalid_argument("Not a preference: " + std::string(name));
}

using NamedText = std::pair<std::string_view, std::string>;

// The texts in the order given, then the password scrambled; a write that fails is skipped.
void saveGroup(SettingsStore& store, std::initializer_list<NamedText> texts,
               const NamedText& password) {
    // Not a structured binding: clang 14 cannot capture one in a lambda.
    for (const NamedText& named : texts)
        ignoreErrors([&] { store.write(named.first, named.second); });
    ignoreErrors([&] { store.writePassword(password.first, password.second); });
}

// A stored check box of the mail or FTP window: only a checked box (1) counts.
void readCheckBox(SettingsStore& store, std::string_view name, bool& into) {
    ignoreErrors([&] {
        if (const auto text = store.read(name))
            if (const auto state = number(*text, 0, 2))
                into = *state == 1;
    });
}

void readText(SettingsStore& store, std::string_view name, std::string& into) {
    ignoreErrors([&] {
        if (auto text = store.read(name))
            into = std::move(*text);
    });
}

void readPassword(SettingsStore& store, std::string_view name, std::string& into) {
    ignoreErrors([&] { into = store.readPassword(name); });
}

} // namespace

std::string HotkeyModifiers::prefix() const {
    std::string text;
    if (ctrl)
        text += "CTRL+";
    if (alt)
        text += "ALT+";
    if (shift)
        text += "SHIFT+";
    return text;
}

PrefixCheck checkPrefix(std::string_view text) {
    if (text.empty() || text == " ")
        return PrefixCheck::Blank;
    return StringChk(text, kReservedFileNameChars).empty() ? PrefixCheck::Usable
                                                           : PrefixCheck::Reserved;
}

std::string_view pictureExtension(int index) {
    if (index < 0 || index > kLastExtension)
        return kPictureExtensions[kPngIndex];
    return kPictureExtensions[static_cast<std::size_t>(index)];
}

std::vector<std::string_view> loadPreferences(SettingsStore& store, Preferences& into) {
    std::vector<std::string_view> unusable;
    for (const PreferenceField& field : kPreferenceFields) {
        bool used = true;
        ignoreErrors([&] {
            if (const std::optional<std::string> text = store.read(field.name))
                used = field.load(into, *text);
        });
        if (used)
            continue;
        unusable.push_back(field.name);
        if (field.unusableGivesDefault)
            field.load(into, findSetting(field.name).missing.value());
    }
    return unusable;
}

std::string preferenceText(const Preferences& preferences, std::string_view name) {
    return preferenceField(name).text(preferences);
}

MailSettings loadMailSettings(SettingsStore& store) {
    MailSettings settings;
    ignoreErrors([&] { store.createKey(); });
    readText(store, "MailFrom", settings.from);
    readText(store, "MailTo", settings.to);
    readText(store, "MailCC", settings.cc);
    readText(store, "MailSubject", settings.subject);
    readText(store, "MailSMTP", settings.server);
    readCheckBox(store, "MailSMTPauth", settings.authenticate);
    if (settings.authenticate) {
        readText(store, "MailSMTPauthUser", settings.user);
        readPassword(store, "MailSMTPauthPW", settings.password);
    }
    return settings;
}

void saveMailSettings(SettingsStore& store, const MailSettings& settings) {
    saveGroup(store,
              {{"MailFrom", settings.from},
               {"MailTo", settings.to},
               {"MailCC", settings.cc},
               {"MailSubject", settings.subject},
               {"MailSMTP", settings.server},
               {"MailSMTPauth", onOff(settings.authenticate)},
               {"MailSMTPauthUser", settings.user}},
              {"MailSMTPauthPW", settings.password});
}

FtpSettings loadFtpSettings(SettingsStore& store) {
    FtpSettings settings;
    ignoreErrors([&] { store.createKey(); });
    readText(store, "FTPServer", settings.server);
    readText(store, "FTPUser", settings.user);
    readText(store, "FTPRemoteDir", settings.remoteDir);
    readCheckBox(store, "FTPPassiveMode", settings.passiveMode);
    readPassword(store, "FTPPw", settings.password);
    return settings;
}

void saveFtpSettings(SettingsStore& store, const FtpSettings& settings) {
    saveGroup(store,
              {{"FTPServer", settings.server},
               {"FTPUser", settings.user},
               {"FTPRemoteDir", settings.remoteDir},
               {"FTPPassiveMode", onOff(settings.passiveMode)}},
              {"FTPPw", settings.password});
}

} // namespace pictorn::app
