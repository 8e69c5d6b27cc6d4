#include "app/error_report.h"

#include <string>

namespace pictorn::app {

namespace {
constexpr std::string_view kCrLf = "\r\n";
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kInternalError = 51;
} // namespace

std::string_view startupClosingLine(std::int32_t number) {
    if (number == errors::kComponentMissing) {
        return kClosingRunAsAdministrator;
    }
    return kClosingNormal;
}

std::string errorReportText(const AppError& error, std::string_view label,
                            std::string_view closingLine) {
    std::string text = "An Error was generated:";
    text += kCrLf;
    text += kCrLf;
    text += "Description:";
    text += kCrLf;
    // A number that is not negative is written with a leading blank, a negative one with
    // its minus sign in that place.
    text += "Error";
    if (error.number() >= 0) {
        text += ' ';
    }
    text += std::to_string(error.number());
    text += " - ";
    text += error.description();
    text += kCrLf;
    text += label;
    text += kCrLf;
    text += kCrLf;
    text += closingLine;
    return text;
}

void showErrorReport(platform::MessageBoxService& box, const AppError& error,
                     std::string_view label, std::string_view closingLine) {
    box.show(errorReportText(error, label, closingLine), platform::mb::kOk, "Error",
             error.helpFile(), error.helpContext());
}

AppError toAppError(const std::exception& failure) {
    if (const auto* appError = dynamic_cast<const AppError*>(&failure)) {
        return *appError;
    }
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        return AppError(kOutOfMemory, "Out of memory");
    }
    const std::string what = failure.what();
    return AppError(kInternalError, what.empty() ? "Internal error" : what);
}

} // namespace pictorn::app
