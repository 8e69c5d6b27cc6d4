#include "platform/file_dialogs.h"

#include "platform/app_error.h"

namespace pictorn::platform {

std::vector<FileFilter> parseFilterList(std::string_view list) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= list.size() && !list.empty()) {
        const std::size_t bar = list.find('|', start);
        const std::size_t end = bar == std::string_view::npos ? list.size() : bar;
        parts.emplace_back(list.substr(start, end - start));
        if (bar == std::string_view::npos)
            break;
        start = bar + 1;
    }
    std::vector<FileFilter> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        filters.push_back({parts[i], parts[i + 1]});
    return filters;
}

void raiseDialogCancelled() {
    throw AppError(ErrorKind::Cancelled, errors::kDialogCancelled, "Cancel was selected.");
}

void raiseDialogFailed(std::uint32_t code) {
    throw AppError(errors::kUnexpected,
                   "The file dialog could not be shown (error " + std::to_string(code) + ").");
}

} // namespace pictorn::platform
