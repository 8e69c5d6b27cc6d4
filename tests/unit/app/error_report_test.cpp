#include "app/error_report.h"
#include "app/startup.h"
#include "platform/headless/fake_instance_guard.h"
#include "platform/headless/scripted_message_box.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace pictorn::app {
namespace {

using headless::ScriptedMessageBox;

TEST(ErrorReport, ComposesTheBoxExactly) {
    ScriptedMessageBox box;
    showErrorReport(box,
                    AppError(339, "Component not correctly registered", "", "C:\\help.chm", 42),
                    kStartupLabel, startupClosingLine(339));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.last().text, "An Error was generated:\r\n\r\n"
                               "Description:\r\n"
                               "Error 339 - Component not correctly registered\r\n"
                               "Mod Startup - Main procedure\r\n\r\n"
                               "Try to run this application AS ADMINISTRATOR. If that doesn't "
                               "solve the problem, please re-install the program.");
    EXPECT_EQ(box.last().flags, 0u);
    EXPECT_EQ(box.last().title, "Error");
    EXPECT_EQ(box.last().helpFile, "C:\\help.chm");
    EXPECT_EQ(box.last().helpContext, 42);
}

TEST(ErrorReport, NumberLineForNegativeZeroAndEmptyDescription) {
    const auto line = [](const AppError& error) {
        const std::string text = errorReportText(error, "L");
        const auto start = text.find("Error", 5);
        return text.substr(start, text.find("\r\nL\r\n") - start);
    };
    EXPECT_EQ(line(AppError(errors::kUnexpected, "Catastrophic failure")),
              "Error-2147418113 - Catastrophic failure");
    EXPECT_EQ(line(AppError(0, "x")), "Error 0 - x");
    EXPECT_EQ(line(AppError(5, "")), "Error 5 - ");
    EXPECT_TRUE(
        errorReportText(AppError(5, ""), "L")
            .ends_with("\r\nL\r\n\r\nPlease inform the author with the error description above."));
}

TEST(Trap, ReportsAFailureWithTheLabelAndAbandonsTheRest) {
    ScriptedMessageBox box;
    bool rest = false;
    EXPECT_FALSE(trap(box, "frmMain - menuSave_Click", [&] {
        throw AppError(70, "Permission denied");
        rest = true;
    }));
    EXPECT_FALSE(rest);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_NE(box.last().text.find("Error 70 - Permission denied\r\nfrmMain - menuSave_Click\r\n"),
              std::string::npos);

    EXPECT_TRUE(trap(box, "frmMain - menuSave_Click", [&] { rest = true; }));
    EXPECT_TRUE(rest);
    EXPECT_EQ(box.shown.size(), 1u);
}

TEST(Trap, MapsOtherExceptions) {
    ScriptedMessageBox box;
    trap(box, "L", [] { throw std::bad_alloc(); });
    EXPECT_NE(box.last().text.find("Error 7 - Out of memory\r\n"), std::string::npos);
    trap(box, "L", [] { throw std::runtime_error("boom"); });
    EXPECT_NE(box.last().text.find("Error 51 - boom\r\n"), std::string::npos);
}

TEST(Trap, IgnoredStepsFailSilently) {
    EXPECT_FALSE(ignoreErrors([] { throw AppError(13, "Type mismatch"); }));
    EXPECT_FALSE(ignoreErrors([] { throw std::out_of_range("index"); }));
    EXPECT_TRUE(ignoreErrors([] {}));
    const auto failure = catchError([] { throw AppError(53, "File not found"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->number(), 53);
}

TEST(Startup, SecondCopyOnlyShowsTheInfoBox) {
    ScriptedMessageBox box;
    headless::FakeInstanceGuard instance;
    instance.otherCopyRunning = true;
    bool created = false;
    EXPECT_FALSE(Main(instance, box, {}, [&] { created = true; }));
    EXPECT_FALSE(created);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.last().text, "Pictorn is already running...");
    EXPECT_EQ(box.last().flags, 64u);
    EXPECT_EQ(box.last().title, "Info");
}

TEST(Startup, FailuresCreatingTheWindowAreReported) {
    ScriptedMessageBox box;
    headless::FakeInstanceGuard instance;
    bool created = false;
    const auto failingInit = [] {
        throw AppError(453, "Can't find DLL entry point");
    };
    EXPECT_TRUE(Main(instance, box, failingInit, [&] { created = true; }));
    EXPECT_TRUE(created);
    EXPECT_TRUE(box.shown.empty());

    EXPECT_FALSE(Main(instance, box, {}, [] { throw AppError(339, "Component missing"); }));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.last().text.ends_with("Mod Startup - Main procedure\r\n\r\n" +
                                          std::string(kClosingRunAsAdministrator)));
}

} // namespace
} // namespace pictorn::app
