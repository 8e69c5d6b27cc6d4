#pragma once
// The mail and FTP windows' stored values, typed, with their tables (app/setting_table.h):
// each window loads its table when it opens and writes it when it closes. A new stored value
// of these windows is one line in its table (mail_ftp_settings.cpp) plus its control.
#include "app/setting_table.h"

#include <string>

namespace pictorn::app {

struct MailSettings {
    std::string from;
    std::string to;
    std::string cc;
    std::string subject;
    std::string server;
    bool authenticate{};
    // Read only when the server wants authentication; the password is stored sealed.
    std::string user;
    std::string password;

    bool operator==(const MailSettings&) const = default;
};

struct FtpSettings {
    std::string server;
    std::string user;
    std::string remoteDir;
    bool passiveMode{};
    std::string password; // stored sealed

    bool operator==(const FtpSettings&) const = default;
};

const SettingTable<MailSettings>& mailSettingsTable();
const SettingTable<FtpSettings>& ftpSettingsTable();

} // namespace pictorn::app
