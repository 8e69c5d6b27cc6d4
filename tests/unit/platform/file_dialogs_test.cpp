#include "platform/app_error.h"
#include "platform/file_dialogs.h"
#include "platform/headless/scripted_file_dialogs.h"

#include <gtest/gtest.h>

namespace pictorn::platform {
namespace {

TEST(FileDialogs, FilterListsReadAsTheClassicPropertyWritesThem) {
    EXPECT_EQ(parseFilterList("Program files (*.exe)|*.exe"),
              (std::vector<FileFilter>{{"Program files (*.exe)", "*.exe"}}));
    EXPECT_EQ(parseFilterList("BMP|*.bmp|JPEG|*.jpg;*.jpeg|dangling"),
              (std::vector<FileFilter>{{"BMP", "*.bmp"}, {"JPEG", "*.jpg;*.jpeg"}}));
    EXPECT_TRUE(parseFilterList("").empty());
    try {
        raiseDialogCancelled();
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 32755);
    }
}

TEST(FileDialogs, ScriptedDialogsAnswerInOrderThenCancel) {
    headless::ScriptedFileDialogs dialogs;
    dialogs.saveAnswers.push_back(SaveFileAnswer{"C:\\a.png", 5});
    SaveFileRequest request;
    request.filterIndex = 5;
    EXPECT_EQ(dialogs.saveFile(nullptr, request), (SaveFileAnswer{"C:\\a.png", 5}));
    EXPECT_EQ(dialogs.saveFile(nullptr, request), std::nullopt);
    EXPECT_EQ(dialogs.browseFolder(nullptr, {}), std::nullopt);
    EXPECT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests[0].request.filterIndex, 5);
    EXPECT_EQ(dialogs.requestCount(), 3u);
}

} // namespace
} // namespace pictorn::platform
