#include "ftp/ftp_texts.h"

#include <gtest/gtest.h>

namespace pictorn::ftptext {
namespace {

TEST(FtpLogEdit, ReplacesEveryOccurrenceWithoutRegardToCaseInOrder) {
    const std::string text = "chilkatlog:\r\n  DLLDATE: jun 26 2008\r\n  username: PTO\r\n"
                             "  Component: ActiveX\r\nChilkatLog: again, component: activex";
    EXPECT_EQ(editErrorLog(text, "cmdUpload_Click - ftp.Connect", "Version 1.0.6"),
              "Errorlog:\r\n  Pictorn\r\n  Version 1.0.6\r\n  cmdUpload_Click - ftp.Connect\r\n"
              "Errorlog: again, cmdUpload_Click - ftp.Connect");
    // A replacement is not searched again, and another login name stays as it is.
    EXPECT_EQ(replaceAllNoCase("aAa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(editErrorLog("Username: bob", "L", "V"), "Username: bob");
    EXPECT_EQ(replaceAllNoCase("abc", "", "x"), "abc");
}

TEST(FtpLogEdit, FailureLogHasASessionSectionOnlyForALogLongerThanOneCharacter) {
    EXPECT_EQ(failureLogText("Connect failed", ""), "Connect failed\r\n");
    EXPECT_EQ(failureLogText("Connect failed", "x"), "Connect failed\r\n");
    EXPECT_EQ(failureLogText("E", "220 hi\r\nUSER a"),
              "E\r\n\r\nSessionLog:\r\n220 hi\r\nUSER a\r\n");
}

TEST(FtpMessages, FailureMessageListsTheHintsAndNamesFilesThatDidNotArrive) {
    const std::string hints =
        "\r\nPlease examine the FTP log below and make sure your FTP Settings and your "
        "communication settings are correct.\r\n\r\nPossible solutions:\r\nEnter the correct "
        "server name.\r\nEnter a correct Login/Username and/or Password.\r\nEnter a valid path "
        "in the Remote Directory box.\r\nMake sure you have write permissions to the remote "
        "folder.\r\nUnblock Pictorn from your firewall\r\nTry the upload again with Passive "
        "Mode (PASV) on or off.";
    EXPECT_EQ(failureMessage(), "Upload failed." + hints);
    EXPECT_EQ(failureMessage({"a.png", "b_2.png"}),
              "Upload failed.\r\nNot uploaded: a.png, b_2.png" + hints);
    // Hundreds of names keep the box on the screen: the first and the last stay.
    const std::vector<std::string> many(500, "screenshot_2026-12-07.png");
    const std::string shown = failureMessage(many);
    EXPECT_LE(shown.size(), 340 + hints.size());
    EXPECT_TRUE(shown.starts_with("Upload failed.\r\nNot uploaded: screenshot_2026-12-07.png, "));
    EXPECT_TRUE(shown.ends_with(", screenshot_2026-12-07.png" + hints));
    EXPECT_NE(shown.find("..."), std::string::npos);
}

TEST(FtpProgressDisplay, ActivityBarClimbsByTensAndStartsOverAfterAHundred) {
    std::vector<int> seen;
    int value = 0;
    for (int i = 0; i < 13; ++i)
        seen.push_back(value = nextActivityValue(value));
    EXPECT_EQ(seen, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 0, 10, 20}));
    EXPECT_EQ(rateText("2", 3, 123456), "File 2 of 3 -- Bytes/Second: 123456");
}

TEST(FtpFileList, TooltipShowsTheEntryUnderThePointerOrNothing) {
    const std::vector<std::string> entries{"C:\\a\\Pictorn.png", "D:\\b c\\x.txt"};
    EXPECT_EQ(listToolTip(entries, 0), " C:\\a\\Pictorn.png ");
    EXPECT_EQ(listToolTip(entries, 1), " D:\\b c\\x.txt ");
    // Below the last entry the list answers the nearest index with a flag in the upper half.
    EXPECT_EQ(listToolTip(entries, 0x10001), "");
    EXPECT_EQ(listToolTip(entries, 2), "");
    EXPECT_EQ(listToolTip(entries, -1), "");
    EXPECT_EQ(listToolTip({}, 0), "");
}

} // namespace
} // namespace pictorn::ftptext
