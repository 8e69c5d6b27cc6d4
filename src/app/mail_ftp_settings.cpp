#include "app/mail_ftp_settings.h"

namespace pictorn::app {

using namespace rows;
using enum Written;

const SettingTable<MailSettings>& mailSettingsTable() {
    using M = MailSettings;
    const auto authenticated = [](const M& m) {
        return m.authenticate;
    };
    static const SettingTable<M> table({
        text(&M::from, "MailFrom", "", AtClose),
        text(&M::to, "MailTo", "", AtClose),
        text(&M::cc, "MailCC", "", AtClose),
        text(&M::subject, "MailSubject", "Screenshot", AtClose),
        text(&M::server, "MailSMTP", "", AtClose),
        check(&M::authenticate, "MailSMTPauth", false, AtClose),
        readOnlyWhen(text(&M::user, "MailSMTPauthUser", "", AtClose), authenticated),
        readOnlyWhen(password(&M::password, "MailSMTPauthPW", AtClose), authenticated),
    });
    return table;
}

const SettingTable<FtpSettings>& ftpSettingsTable() {
    using F = FtpSettings;
    static const SettingTable<F> table({
        text(&F::server, "FTPServer", "", AtClose),
        text(&F::user, "FTPUser", "", AtClose),
        text(&F::remoteDir, "FTPRemoteDir", "", AtClose),
        check(&F::passiveMode, "FTPPassiveMode", false, AtClose),
        password(&F::password, "FTPPw", AtClose),
    });
    return table;
}

} // namespace pictorn::app
