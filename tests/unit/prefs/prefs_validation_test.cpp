// The field checks when the focus leaves a field, and the two pickers.
#include "prefs_fixture.h"

namespace pictorn::prefs_test {
namespace {

constexpr std::string_view kPellam = "I'm afraid I can't do that Pellam...";
constexpr std::string_view kNotCorrect =
    "The path you entered is not correct.\r\nPlease check the entry, or use the [...] browse "
    "button.";
constexpr std::string_view kNotAvailable =
    "The location you have chosen is not available...\r\nPlease pick another folder.       ";

class FieldTest : public PrefsTest {
protected:
    void SetUp() override {
        start();
        prefs->SSTab1.userSelect(1);
        prefs->chkAutoSave.click();
    }
    // Whether a probe file was left behind in the folder.
    bool probeLeftovers(const std::string& folder) const {
        for (const char* name : {"test_1.txt", "test_2.txt"})
            if (hs.files.exists(folder + "\\" + name))
                return true;
        return false;
    }
    // Leaves the field for a control that demands validation; true when it let go.
    bool leave() { return prefs->focus(prefs->chkSound); }
};

TEST_F(FieldTest, DelayAcceptsWholeSecondsUpToSixty) {
    FrmPrefs& p = *prefs;
    for (const char* good : {"0", "00", "60", "7"}) {
        typeInto(p.txtSeconds, good);
        EXPECT_TRUE(leave()) << good;
    }
    EXPECT_EQ(hs.messageBox.shown.size(), 0u);

    for (const char* tooLarge : {"61", "99"}) {
        typeInto(p.txtSeconds, tooLarge);
        EXPECT_FALSE(leave()) << tooLarge;
        EXPECT_EQ(lastBox().text, "Please enter a value in the range of 0 - 60.");
        EXPECT_EQ(lastBox().title, kPellam);
        EXPECT_EQ(lastBox().flags, kWarning);
        EXPECT_EQ(p.focused(), &p.txtSeconds);
        EXPECT_EQ(p.txtSeconds.selStart(), 0u);
        EXPECT_EQ(p.txtSeconds.selLength(), 2u);
    }

    typeInto(p.txtSeconds, "");
    EXPECT_FALSE(leave());
    EXPECT_EQ(lastBox().text, "Please enter a value in the range of 1 - 60.");

    // Pasted text that is no number is refused instead of being kept as the delay.
    typeInto(p.txtSeconds, "-1");
    EXPECT_FALSE(leave());
    EXPECT_EQ(lastBox().text, "Please enter a value in the range of 0 - 60.");
}

TEST_F(FieldTest, DelayTakesOnlyDigitsFromTheKeyboard) {
    FrmPrefs& p = *prefs;
    typeInto(p.txtSeconds, "");
    for (int key : {'a', '-', ' ', '4', 'x', '2', '9'})
        p.txtSeconds.typeKey(key);
    EXPECT_EQ(p.txtSeconds.text(), "42");
    p.txtSeconds.typeKey(8);
    EXPECT_EQ(p.txtSeconds.text(), "4");
}

TEST_F(FieldTest, PrefixRefusesReservedCharacters) {
    FrmPrefs& p = *prefs;
    for (const char* bad : {"shot.", "a\xC2\xB0", "\xC2\xA3x", "a:b"}) {
        typeInto(p.txtPrefix, bad);
        EXPECT_FALSE(leave()) << bad;
    }
    EXPECT_EQ(lastBox().title, "Oh no...");
    EXPECT_EQ(lastBox().text,
              "You entered at least one character that is reserved by the operating system.\r\n"
              "\r\n"
              "Please avoid characters in filenames like: \r\n"
              " * < > [ ] = + \\ | / ' \" ` ( ) \xC2\xB0 \xC2\xB2 \xC2\xB3 , . : ; & @ # $ % "
              "\xC2\xB5 \xC2\xA3 ? ~ ^ \r\n"
              "They have specific functions in Windows so it confuses the system if a filename "
              "contains them.    ");
    typeInto(p.txtPrefix, "my shots ");
    EXPECT_TRUE(leave());
    EXPECT_EQ(p.txtPrefix.text(), "my shots ");
    for (const char* blank : {" ", ""}) {
        typeInto(p.txtPrefix, blank);
        EXPECT_TRUE(leave());
        EXPECT_EQ(p.txtPrefix.text(), "Pictorn_");
    }
}

TEST_F(FieldTest, FolderMustExistAndTakeNewFiles) {
    FrmPrefs& p = *prefs;
    hs.files.addFolder("C:\\Shots");
    hs.files.addFolder("C:\\Locked");
    hs.files.denyNewFiles("C:\\Locked");

    for (const char* pass : {"", "Click the browse button [...]", "C:\\Shots", "  C:\\Shots  "}) {
        typeInto(p.txtDefaultFolder, pass);
        EXPECT_TRUE(leave()) << pass;
    }
    EXPECT_EQ(hs.messageBox.shown.size(), 0u);
    EXPECT_FALSE(hs.files.exists("C:\\Shots\\test.txt")); // the probe cleaned up

    typeInto(p.txtDefaultFolder, "C:\\Missing");
    EXPECT_FALSE(leave());
    EXPECT_EQ(hs.messageBox.shown.size(), 1u); // the probe of a missing folder says nothing
    EXPECT_EQ(lastBox().text, kNotCorrect);
    EXPECT_EQ(lastBox().title, kPellam);
    EXPECT_EQ(p.txtDefaultFolder.selLength(), 10u);

    typeInto(p.txtDefaultFolder, "C:\\Locked");
    EXPECT_FALSE(leave());
    EXPECT_EQ(lastBox().text, kNotAvailable);
    EXPECT_EQ(lastBox().title, "Attention!");
}

TEST_F(FieldTest, FolderProbeLeavesTheUsersTestFileAlone) {
    FrmPrefs& p = *prefs;
    hs.files.addFile("C:\\Shots\\test.txt", "my notes");
    typeInto(p.txtDefaultFolder, "C:\\Shots\\");
    EXPECT_TRUE(leave());
    EXPECT_EQ(hs.files.contents("C:\\Shots\\test.txt"), "my notes");
    EXPECT_FALSE(probeLeftovers("C:\\Shots"));
}

TEST_F(FieldTest, EditorMustBeAReadableFile) {
    FrmPrefs& p = *prefs;
    hs.files.addFile("C:\\Tools\\paint.exe");
    for (const char* pass : {"Click the browse button [...]", "", " C:\\Tools\\paint.exe "}) {
        typeInto(p.txtEditorPath, pass);
        EXPECT_TRUE(leave()) << pass;
    }
    typeInto(p.txtEditorPath, "C:\\Tools\\gone.exe");
    EXPECT_FALSE(leave());
    EXPECT_EQ(lastBox().text, kNotCorrect);
    EXPECT_EQ(lastBox().title, kPellam);
}

TEST_F(FieldTest, EachBrowseButtonIsReachableFromItsOwnFieldOnly) {
    FrmPrefs& p = *prefs;
    typeInto(p.txtDefaultFolder, "");
    EXPECT_TRUE(leave()); // a folder check has run once
    typeInto(p.txtDefaultFolder, "C:\\Missing");
    // The folder's own button opens the browser without the folder check.
    hs.fileDialogs.folderAnswers.push_back(std::nullopt);
    p.cmdBrowse4Folder.click();
    EXPECT_EQ(hs.fileDialogs.folderRequests.size(), 1u);
    EXPECT_EQ(hs.messageBox.shown.size(), 0u);
    EXPECT_EQ(p.txtDefaultFolder.text(), "C:\\Missing"); // a cancel changes nothing

    // The editor's button runs the folder check first, which holds the focus.
    typeInto(p.txtDefaultFolder, "C:\\Missing");
    p.cmdBrowse4Editor.click();
    EXPECT_EQ(hs.fileDialogs.openRequests.size(), 0u);
    EXPECT_EQ(lastBox().text, kNotCorrect);
    EXPECT_EQ(p.focused(), &p.txtDefaultFolder);

    // The checks switch the buttons: editor check, prefix check, folder check.
    typeInto(p.txtDefaultFolder, "");
    typeInto(p.txtEditorPath, "");
    EXPECT_TRUE(p.focus(p.txtPrefix));
    EXPECT_TRUE(p.cmdBrowse4Folder.causesValidation());
    EXPECT_FALSE(p.cmdBrowse4Editor.causesValidation());
    EXPECT_TRUE(leave());
    EXPECT_TRUE(p.cmdBrowse4Folder.causesValidation());
    EXPECT_TRUE(p.cmdBrowse4Editor.causesValidation());
    typeInto(p.txtDefaultFolder, "");
    EXPECT_TRUE(leave());
    EXPECT_FALSE(p.cmdBrowse4Folder.causesValidation());
    EXPECT_TRUE(p.cmdBrowse4Editor.causesValidation());
    typeInto(p.txtSeconds, "5");
    EXPECT_TRUE(leave());
    EXPECT_FALSE(p.cmdBrowse4Folder.causesValidation());
}

TEST_F(FieldTest, FolderBrowserStoresTheChoiceInLowerCase) {
    FrmPrefs& p = *prefs;
    hs.files.addFolder("C:\\My Shots\\Ärger");
    typeInto(p.txtDefaultFolder, "C:\\Old");
    hs.fileDialogs.folderAnswers.push_back("C:\\My Shots\\Ärger");
    p.cmdBrowse4Folder.click();
    const auto& request = hs.fileDialogs.folderRequests.at(0);
    EXPECT_EQ(request.owner, "frmPrefs");
    EXPECT_EQ(request.request.title, "Browse for folder");
    EXPECT_EQ(request.request.prompt, "Select a folder please");
    EXPECT_EQ(request.request.initialFolder, "C:\\Old");
    EXPECT_TRUE(request.request.newFolderButton);
    EXPECT_EQ(p.txtDefaultFolder.text(), "c:\\my shots\\ärger");
    EXPECT_EQ(p.focused(), &p.cmdFocusSink);
    EXPECT_FALSE(hs.files.exists("C:\\My Shots\\Ärger\\test.txt"));
}

TEST_F(FieldTest, FolderBrowserRefusesUnusableChoices) {
    FrmPrefs& p = *prefs;
    hs.files.addFolder("D:\\ReadOnly");
    hs.files.denyNewFiles("D:\\ReadOnly");
    for (const char* chosen : {"D:\\ReadOnly", "", "E:\\Nowhere"}) {
        typeInto(p.txtDefaultFolder, "C:\\Before");
        hs.fileDialogs.folderAnswers.push_back(chosen);
        p.cmdBrowse4Folder.click();
        EXPECT_EQ(lastBox().text, kNotAvailable) << chosen;
        EXPECT_EQ(lastBox().title, "Attention!");
        EXPECT_EQ(p.txtDefaultFolder.text(), "") << chosen;
    }
    EXPECT_EQ(hs.messageBox.shown.size(), 3u);
}

TEST_F(FieldTest, EditorPickerFillsTheFieldOrLeavesItOnCancel) {
    FrmPrefs& p = *prefs;
    hs.fileDialogs.openAnswers.push_back(std::nullopt);
    p.cmdBrowse4Editor.click();
    const auto& request = hs.fileDialogs.openRequests.at(0).request;
    EXPECT_EQ(request.title, "Locate your favorite Image Editor");
    EXPECT_EQ(request.filters,
              (std::vector<platform::FileFilter>{{"Program files (*.exe)", "*.exe"}}));
    EXPECT_EQ(request.initialDir, "C:\\Program Files\\Pictorn\\");
    EXPECT_TRUE(request.hideReadOnly);
    EXPECT_EQ(p.txtEditorPath.text(), "Click the browse button [...]");
    EXPECT_EQ(p.focused(), &p.cmdFocusSink);

    hs.fileDialogs.openAnswers.push_back("C:\\Apps\\PhotoTool.EXE");
    p.cmdBrowse4Editor.click();
    EXPECT_EQ(p.txtEditorPath.text(), "c:\\apps\\phototool.exe");
    EXPECT_EQ(p.focused(), &p.txtEditorPath);
    EXPECT_EQ(p.txtEditorPath.selLength(), p.txtEditorPath.text().size());
    EXPECT_EQ(hs.messageBox.shown.size(), 0u); // the check waits until the field is left
}

} // namespace
} // namespace pictorn::prefs_test
