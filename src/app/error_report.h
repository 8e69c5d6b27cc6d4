#pragma once
// The error report box every trapping handler shows for an unexpected failure, and the
// trap wrappers that catch the failure, report it and let the program run on.
#include "platform/app_error.h"
#include "platform/message_box.h"

#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace pictorn::app {

inline constexpr std::string_view kClosingNormal =
    "Please inform the author with the error description above.";
inline constexpr std::string_view kClosingRunAsAdministrator =
    "Try to run this application AS ADMINISTRATOR. If that doesn't solve the problem, please "
    "re-install the program.";

inline constexpr std::string_view kStartupLabel = "Mod Startup - Main procedure";

// Chooses the closing line from the error number.
using ClosingLineChooser = std::string_view (*)(std::int32_t number);

// 339 (component missing) -> administrator hint, else normal.
std::string_view startupClosingLine(std::int32_t number);
inline std::string_view normalClosingLine(std::int32_t) {
    return kClosingNormal;
}

// The box text: lines joined by CR LF, "Error 339 - ..." but "Error-2147418113 - ...".
std::string errorReportText(const AppError& error, std::string_view label,
                            std::string_view closingLine = kClosingNormal);
// Shows the report (OK only, no icon, title "Error", the error's help file and context).
void showErrorReport(platform::MessageBoxService& box, const AppError& error,
                     std::string_view label, std::string_view closingLine = kClosingNormal);

// Any failure as the program's error: AppError as it is, running out of memory as 7
// "Out of memory", any other exception as 51 with its message.
AppError toAppError(const std::exception& failure);

// Runs the body; returns the failure, or nothing when the body completed. For handlers
// that look at the error's kind before falling back to the report box.
template <class Fn> std::optional<AppError> catchError(Fn&& body) {
    try {
        std::forward<Fn>(body)();
    } catch (const std::exception& failure) {
        return toAppError(failure);
    }
    return std::nullopt;
}

// A handler's error trap: runs the body and, when it fails, abandons the rest of it and
// shows the error report with the label. True when the body completed.
template <class Fn>
bool trap(platform::MessageBoxService& box, std::string_view label, ClosingLineChooser closing,
          Fn&& body) {
    auto failure = catchError(std::forward<Fn>(body));
    if (failure) {
        showErrorReport(box, *failure, label, closing(failure->number()));
    }
    return !failure;
}

template <class Fn> bool trap(platform::MessageBoxService& box, std::string_view label, Fn&& body) {
    return trap(box, label, normalClosingLine, std::forward<Fn>(body));
}

// A step run with errors ignored: a failure skips the rest of the step silently.
template <class Fn> bool ignoreErrors(Fn&& body) {
    return !catchError(std::forward<Fn>(body));
}

} // namespace pictorn::app
