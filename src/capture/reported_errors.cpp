#include "capture/reported_errors.h"

namespace pictorn::capture {

namespace {
constexpr std::string_view kImageBoxSource = "Pictorn.ImageBox";
}

AppError reportedError(const SaveResult& notSaved) {
    const std::int32_t number =
        notSaved.status == SaveStatus::DiskFull ? errors::kDiskFull : errors::kUnexpected;
    return AppError(number, notSaved.reason, std::string(kImageBoxSource));
}

void raiseUnlessSaved(const SaveResult& result) {
    if (!result.saved())
        throw reportedError(result);
}

AppError noActiveWindowError() {
    return AppError(errors::kUnexpected, "There is no active window to capture.");
}

} // namespace pictorn::capture
