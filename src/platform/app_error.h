#pragma once
// The one error type of the program: what a failing operation raises and what a
// handler's trap reports. Handlers that react to a failure of their own branch on its
// kind; the number (signed 32-bit) is only what the error report shows.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace pictorn {

enum class ErrorKind {
    Unexpected,     // reported as it is
    Busy,           // refused while a modal dialog of the program is open
    ProgramMissing, // a program or document to start is not there
    CannotStart,    // the system would not start it, for another reason than access
    Cancelled,      // the user cancelled a dialog
};

class AppError : public std::runtime_error {
public:
    AppError(std::int32_t number, std::string description, std::string source = {},
             std::string helpFile = {}, std::int32_t helpContext = 0)
        : std::runtime_error(description), number_(number), description_(std::move(description)),
          source_(std::move(source)), helpFile_(std::move(helpFile)), helpContext_(helpContext) {}
    AppError(ErrorKind kind, std::int32_t number, std::string description)
        : AppError(number, std::move(description)) {
        kind_ = kind;
    }

    ErrorKind kind() const noexcept { return kind_; }

    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& helpFile() const noexcept { return helpFile_; }
    std::int32_t helpContext() const noexcept { return helpContext_; }

private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
    std::string helpFile_;
    std::int32_t helpContext_;
    ErrorKind kind_ = ErrorKind::Unexpected;
};

// The numbers the program's own failures show in the error report.
namespace errors {
inline constexpr std::int32_t kProgramNotFound = 53; // a program or file that cannot be started
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kModalFormOpen = 401;    // a modeless window while a modal is up
inline constexpr std::int32_t kComponentMissing = 339; // missing or unregistered component
inline constexpr std::int32_t kDialogCancelled = 32755;
inline constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(0x8000FFFF);
// Base of the numbers raised for system error codes: -2147221504 + 29000.
inline constexpr std::int32_t kSystemErrorBase = -2147221504 + 29000;
inline constexpr std::int32_t kInvalidPicture = 481; // no picture, or a file that is none
inline constexpr std::int32_t kDiskFull = 61;
} // namespace errors

} // namespace pictorn
