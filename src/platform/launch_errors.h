#pragma once
// The program's error for a program or document that could not be started, from the
// system's error code. The hand-off handlers tell the cases apart by its kind.
#include "platform/app_error.h"

#include <cstdint>
#include <string_view>

namespace pictorn::platform {

// System error codes that matter here (the same values on every Windows version).
namespace syserr {
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kPathNotFound = 3;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kInvalidName = 123;
inline constexpr std::uint32_t kBadPathName = 161;
inline constexpr std::uint32_t kBadExeFormat = 193;
inline constexpr std::uint32_t kNoAssociation = 1155;
} // namespace syserr

// A missing program, folder or malformed name -> ProgramMissing, 53 "File not found";
// access denied -> Unexpected, 70 "Permission denied"; anything else -> CannotStart, 5
// "Invalid procedure call or argument". The
// system's own text and the target follow in the description so the error report says
// what failed.
AppError launchError(std::uint32_t systemCode, std::string_view target,
                     std::string_view systemText = {});

// ShellExecute's small result codes (<= 32) as system error codes.
std::uint32_t shellExecuteResultToSystemCode(std::intptr_t result);

} // namespace pictorn::platform
