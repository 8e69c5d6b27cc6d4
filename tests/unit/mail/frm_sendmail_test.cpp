// The mail window's opening, buttons and closing: settings and defaults, the tab it opens
// on, the attachment list and the body template.
#include "mail/body_template.h"
#include "mail/mail_charsets.h"
#include "mail_window_fixture.h"

#include <gtest/gtest.h>

namespace pictorn::mail {
namespace {

using testing::kBodyFile;
using testing::kPicture;

class MailWindow : public testing::MailWindowTest {};

TEST_F(MailWindow, FirstUseShowsDefaultsOnTheServerTab) {
    open([&](FrmSendmail& w) {
        EXPECT_EQ(w.caption(), "Send mail");
        EXPECT_EQ(w.style().templateId, IDD_SENDMAIL);
        EXPECT_EQ(w.txtFrom.text(), "");
        EXPECT_EQ(w.txtTo.text(), "");
        EXPECT_EQ(w.txtCc.text(), "");
        EXPECT_EQ(w.txtSubject.text(), "Screenshot");
        EXPECT_EQ(w.txtServer.text(), "");
        EXPECT_EQ(w.chkAuth.value(), 0);
        for (ui::TextBox* box : {&w.txtUser, &w.txtPassword}) {
            EXPECT_FALSE(box->enabled()) << box->name();
            EXPECT_EQ(box->backColor(), kSystemInactiveBorder) << box->name();
        }
        EXPECT_EQ(w.SSTab1.currentTab(), FrmSendmail::kTabServerSettings);
        EXPECT_TRUE(w.txtServer.visible());
        EXPECT_FALSE(w.txtFrom.visible());
        EXPECT_EQ(w.txtBody.text(), kDefaultBody);
        EXPECT_EQ(w.txtBody.fontName(), "Courier New");
        EXPECT_EQ(w.txtPassword.passwordChar(), '*');
        EXPECT_EQ(w.txtAttachments.text(), "Pictorn.png; ");
        EXPECT_EQ(w.attachments(), std::vector<std::string>{kPicture});
        ASSERT_EQ(w.lstCharset.items().size(), 28u);
        EXPECT_EQ(w.lstCharset.items().front(), "Arabic(Windows)");
        EXPECT_EQ(w.lstCharset.selectedText(), "Western European(ISO)");
        EXPECT_EQ(w.lblStatus.caption(), "");
        EXPECT_EQ(w.txtFrom.toolTip(),
                  "From address: John Smith <john.smith@example.com> or john.smith@example.com");
    });
    EXPECT_TRUE(openDuring);
    EXPECT_FALSE(mailOrFtpOpen);
    EXPECT_EQ(platform.ui.modalLog, std::vector<std::string>{"frmSendmail"});
    EXPECT_TRUE(platform.messageBox.shown.empty());
}

TEST_F(MailWindow, StoredFieldsComeBackOnTheMessageTabAndEditsAreStoredAtClose) {
    store.createKey();
    store.writeText("MailFrom", "Ann <ann@example.org>");
    store.writeText("MailTo", "bob@example.org");
    store.writeText("MailCC", "carl@example.org");
    store.writeText("MailSubject", "Look");
    store.writeText("MailSMTP", "mail.example.org");
    store.writeText("MailSMTPauth", "1");
    store.writeText("MailSMTPauthUser", "ann");
    store.writePassword("MailSMTPauthPW", "s3cret pässword");
    open([&](FrmSendmail& w) {
        EXPECT_EQ(w.SSTab1.currentTab(), FrmSendmail::kTabMessage);
        EXPECT_EQ(w.txtFrom.text(), "Ann <ann@example.org>");
        EXPECT_EQ(w.txtTo.text(), "bob@example.org");
        EXPECT_EQ(w.txtCc.text(), "carl@example.org");
        EXPECT_EQ(w.txtSubject.text(), "Look");
        EXPECT_EQ(w.txtServer.text(), "mail.example.org");
        EXPECT_TRUE(w.chkAuth.checked());
        EXPECT_EQ(w.txtUser.text(), "ann");
        EXPECT_EQ(w.txtPassword.text(), "s3cret pässword");
        for (ui::TextBox* box : {&w.txtUser, &w.txtPassword}) {
            EXPECT_TRUE(box->enabled()) << box->name();
            EXPECT_EQ(box->backColor(), kSystemWindowBackground) << box->name();
        }
        // Texts are stored as they stand, blanks and all.
        w.txtFrom.setText(" new@example.org ");
        w.txtSubject.setText(" ");
        w.txtPassword.setText("other");
        platform.registry.clearCalls();
        w.cmdClose.click();
        EXPECT_FALSE(w.loaded());
    });
    EXPECT_EQ(stored("MailFrom"), " new@example.org ");
    EXPECT_EQ(stored("MailSMTPauth"), "1");
    EXPECT_EQ(store.readPassword("MailSMTPauthPW"), "other");
    std::vector<std::string> written; // "setText MailFrom -> 0": the value names, in order
    for (const std::string& call : platform.registry.calls())
        if (call.rfind("set", 0) == 0) {
            const std::size_t start = call.find(' ') + 1;
            written.push_back(call.substr(start, call.find(' ', start) - start));
        }
    EXPECT_EQ(written,
              (std::vector<std::string>{"MailFrom", "MailTo", "MailCC", "MailSubject", "MailSMTP",
                                        "MailSMTPauth", "MailSMTPauthUser", "MailSMTPauthPW"}));
    // Our registry layer keeps a text whole, so a subject of one blank comes back as such.
    open([&](FrmSendmail& w) { EXPECT_EQ(w.txtSubject.text(), " "); });
}

TEST_F(MailWindow, WithoutAuthenticationTheStoredAccountIsNotReadAndIsStoredEmpty) {
    store.createKey();
    store.writeText("MailSMTP", "mail.example.org");
    store.writeText("MailSMTPauth", "0");
    store.writeText("MailSMTPauthUser", "ann");
    store.writePassword("MailSMTPauthPW", "secret");
    ASSERT_EQ(stored("MailSMTPauthUser"), "ann");
    open([&](FrmSendmail& w) {
        EXPECT_EQ(w.txtUser.text(), "");
        EXPECT_EQ(w.txtPassword.text(), "");
        // Ticking and unticking only enables and disables; the texts stay.
        w.chkAuth.click();
        EXPECT_TRUE(w.txtUser.enabled());
        w.txtUser.setText("typed");
        w.chkAuth.click();
        EXPECT_FALSE(w.txtUser.enabled());
        EXPECT_EQ(w.txtUser.backColor(), kSystemInactiveBorder);
        EXPECT_EQ(w.txtUser.text(), "typed");
        w.txtUser.setText("");
    });
    EXPECT_EQ(stored("MailSMTPauth"), "0");
    EXPECT_EQ(stored("MailSMTPauthUser"), "");
    EXPECT_EQ(store.readPassword("MailSMTPauthPW"), "");
}

TEST_F(MailWindow, BodyTemplateComesBackExactlyAndNeverGrows) {
    const std::string body = "Dear Bob,\r\n\r\nsee the café picture.\r\n";
    open([&](FrmSendmail& w) { w.txtBody.setText(body); });
    ASSERT_TRUE(platform.files.contents(kBodyFile));
    EXPECT_EQ(*platform.files.contents(kBodyFile), body);
    for (int round = 0; round < 3; ++round)
        open([&](FrmSendmail& w) { EXPECT_EQ(w.txtBody.text(), body) << round; });
    EXPECT_EQ(*platform.files.contents(kBodyFile), body);

    // An empty template gives the default body; one in the ANSI code page is understood.
    platform.files.addFile(kBodyFile, "");
    open([&](FrmSendmail& w) { EXPECT_EQ(w.txtBody.text(), kDefaultBody); });
    EXPECT_EQ(*platform.files.contents(kBodyFile), kDefaultBody);
    platform.files.addFile(kBodyFile, "caf\xE9 \x80 5");
    open([&](FrmSendmail& w) { EXPECT_EQ(w.txtBody.text(), "café € 5"); });
    EXPECT_EQ(*platform.files.contents(kBodyFile), "café € 5");
}

TEST_F(MailWindow, AUnwritableTemplateIsReportedAndTheWindowStillCloses) {
    platform.files.failWriting(kBodyFile, 5);
    open([&](FrmSendmail& w) { w.txtTo.setText("bob@example.org"); });
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_NE(platform.messageBox.last().text.find("frmSendmail - Form_QueryUnload"),
              std::string::npos);
    EXPECT_EQ(stored("MailTo"), "bob@example.org");
    EXPECT_FALSE(mailOrFtpOpen);
}

TEST_F(MailWindow, AddAppendsFilesAndClearRemovesThePictureToo) {
    platform.fileDialogs.openAnswers = {"C:\\docs\\notes.txt", "C:\\docs\\notes.txt", std::nullopt};
    open([&](FrmSendmail& w) {
        w.SSTab1.userSelect(FrmSendmail::kTabMessage);
        for (int i = 0; i < 3; ++i)
            w.cmdAdd.click();
        EXPECT_EQ(w.attachments(), (std::vector<std::string>{kPicture, "C:\\docs\\notes.txt",
                                                             "C:\\docs\\notes.txt"}));
        EXPECT_EQ(w.txtAttachments.text(), "Pictorn.png; notes.txt; notes.txt; ");
        EXPECT_EQ(w.focused(), &w.cmdHDDNFCS);
        // The box is only a display: editing it sends nothing else.
        w.txtAttachments.setText("x");
        EXPECT_EQ(w.attachments().size(), 3u);
        w.cmdClear.click();
        EXPECT_TRUE(w.attachments().empty());
        EXPECT_EQ(w.txtAttachments.text(), "");
        EXPECT_EQ(w.focused(), &w.cmdHDDNFCS);
    });
    ASSERT_EQ(platform.fileDialogs.openRequests.size(), 3u);
    const auto& request = platform.fileDialogs.openRequests[0];
    EXPECT_EQ(request.owner, "frmSendmail");
    ASSERT_EQ(request.request.filters.size(), 1u);
    EXPECT_EQ(request.request.filters[0].description, "All files(*.*) ");
    EXPECT_EQ(request.request.filters[0].pattern, "*.*");
}

TEST_F(MailWindow, OkGoesToTheMessageTabAndNoPictureMeansNoAttachment) {
    open(
        [&](FrmSendmail& w) {
            EXPECT_EQ(w.SSTab1.currentTab(), FrmSendmail::kTabServerSettings);
            w.cmdOk.click();
            EXPECT_EQ(w.SSTab1.currentTab(), FrmSendmail::kTabMessage);
            for (ui::Control* c : w.page(FrmSendmail::kTabMessage))
                EXPECT_TRUE(c->visible()) << c->name();
            for (ui::Control* c : w.page(FrmSendmail::kTabServerSettings))
                EXPECT_FALSE(c->visible()) << c->name();
            EXPECT_TRUE(w.attachments().empty());
            EXPECT_EQ(w.txtAttachments.text(), "");
        },
        "");
}

TEST(BodyTemplate, ReadsUtf8AsItIsAndAnythingElseAsWindows1252) {
    auto read = [](std::string_view bytes) {
        return bodyFromFileBytes(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    };
    EXPECT_EQ(read("\xEF\xBB\xBFhi"), "hi");
    EXPECT_EQ(read("r\xC3\xA9sum\xC3\xA9 \xF0\x9F\x98\x80"), "résumé 😀");
    EXPECT_EQ(read("\x93quoted\x94 \x81"), "\xE2\x80\x9Cquoted\xE2\x80\x9D \xC2\x81");
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_EQ(read("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(read("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(read(""), "");
}

} // namespace
} // namespace pictorn::mail
