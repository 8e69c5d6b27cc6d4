#include "app/preferences.h"

#include "app/conversions.h"
#include "app/error_report.h"
#include "app/global_routines.h"

#include <initializer_list>
#include <optional>
#include <utility>

namespace pictorn::app {
namespace {

std::string onOff(bool on) {
    return on ? "1" : "0";
}

constexpr int kLastExtension = static_cast<int>(kPictureExtensions.size()) - 1;

using NamedText = std::pair<std::string_view, std::string>;

// The texts in the order given, then the password scrambled; a write that fails is skipped.
void saveGroup(SettingsStore& store, std::initializer_list<NamedText> texts,
               const NamedText& password) {
    // Not a structured binding: clang 14 cannot capture one in a lambda.
    for (const NamedText& named : texts)
        ignoreErrors([&] { store.writeText(named.first, named.second); });
    ignoreErrors([&] { store.writePassword(password.first, password.second); });
}

// A stored check box of the mail or FTP window: only a checked box (1) counts.
void readCheckBox(SettingsStore& store, std::string_view name, bool& into) {
    ignoreErrors([&] {
        if (const auto text = store.readText(name))
            if (const auto state = numberWithin(*text, 0, 2))
                into = *state == 1;
    });
}

void readText(SettingsStore& store, std::string_view name, std::string& into) {
    ignoreErrors([&] {
        if (auto text = store.readText(name))
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
