#include "platform/launch_errors.h"

#include <gtest/gtest.h>

namespace pictorn::platform {
namespace {

TEST(LaunchErrors, MissingProgramsAreFileNotFound) {
    for (std::uint32_t code : {syserr::kFileNotFound, syserr::kPathNotFound, syserr::kInvalidName,
                               syserr::kBadPathName}) {
        const AppError error = launchError(code, "mspaint.exe C:\\t.bmp");
        EXPECT_EQ(error.kind(), ErrorKind::ProgramMissing) << code;
        EXPECT_EQ(error.number(), errors::kProgramNotFound) << code;
        EXPECT_EQ(error.description(), "File not found: mspaint.exe C:\\t.bmp");
    }
}

TEST(LaunchErrors, OtherFailuresKeepTheirMeaningAndSystemText) {
    const AppError denied = launchError(syserr::kAccessDenied, "x.exe");
    EXPECT_EQ(denied.number(), errors::kPermissionDenied);
    EXPECT_EQ(denied.kind(), ErrorKind::Unexpected); // reported, never "not found"
    const AppError bad = launchError(syserr::kBadExeFormat, "x.exe", "Not a valid application.");
    EXPECT_EQ(bad.number(), errors::kInvalidProcedureCall);
    EXPECT_EQ(bad.kind(), ErrorKind::CannotStart);
    EXPECT_EQ(bad.description(),
              "Invalid procedure call or argument: x.exe (Not a valid application.)");
    EXPECT_EQ(launchError(syserr::kFileNotFound, "").description(), "File not found");
}

TEST(LaunchErrors, ShellResultsMapToSystemCodes) {
    EXPECT_EQ(shellExecuteResultToSystemCode(2), syserr::kFileNotFound);
    EXPECT_EQ(shellExecuteResultToSystemCode(3), syserr::kPathNotFound);
    EXPECT_EQ(shellExecuteResultToSystemCode(31), syserr::kNoAssociation);
    EXPECT_EQ(shellExecuteResultToSystemCode(27), syserr::kNoAssociation);
    EXPECT_NE(shellExecuteResultToSystemCode(0), 0u); // never "success"
    EXPECT_EQ(launchError(shellExecuteResultToSystemCode(31), "https://x/").number(),
              errors::kInvalidProcedureCall);
}

} // namespace
} // namespace pictorn::platform
