#pragma once
// The one error type of the program: what a failing operation raises and what a
// handler's trap reports. Numbers are signed 32-bit, as the error report shows them.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace pictorn {

class AppError : public std::runtime_error {
public:
    AppError(std::int32_t number, std::string description, std::string source = {},
             std::string helpFile = {}, std::int32_t helpContext = 0)
        : std::runtime_error(description), number_(number), description_(std::move(description)),
          source_(std::move(source)), helpFile_(std::move(helpFile)), helpContext_(helpContext) {}

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
};

// Error numbers the program reacts to. Append only: handlers compare against these.
namespace errors {
inline constexpr std::int32_t kProgramNotFound = 53; // a program or file that cannot be started
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kModalFormOpen = 401;         // a modeless window while a modal is up
inline constexpr std::int32_t kComponentCannotCreate = 429; // a component that cannot be created
inline constexpr std::int32_t kAutomation = 440;
inline constexpr std::int32_t kComponentMissing = 339; // missing or unregistered component
inline constexpr std::int32_t kDialogCancelled = 32755;
inline constexpr std::int32_t kComponentInternal = 50003;
inline constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(0x8000FFFF);
// Base of the numbers raised for system error codes: -2147221504 + 29000.
inline constexpr std::int32_t kSystemErrorBase = -2147221504 + 29000;
inline constexpr std::int32_t kInvalidPicture = 481; // no picture, or a file that is none
inline constexpr std::int32_t kDiskFull = 61;
} // namespace errors

} // namespace pictorn
