#pragma once
// The standard message box. Flags and answers use the Windows values so that the
// program's fixed texts, icons and buttons read the same on every platform.
#include <string>
#include <string_view>

namespace pictorn::platform {

namespace mb {
inline constexpr unsigned kOk = 0x0;
inline constexpr unsigned kOkCancel = 0x1;
inline constexpr unsigned kYesNo = 0x4;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kDefaultButton2 = 0x100;
inline constexpr unsigned kSystemModal = 0x1000;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
} // namespace mb

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows the box and returns the button the user chose (mb::kId...).
    virtual int show(std::string_view text, unsigned flags, std::string_view title,
                     std::string_view helpFile = {}, int helpContext = 0) = 0;
};

} // namespace pictorn::platform
