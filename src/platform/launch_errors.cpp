#include "platform/launch_errors.h"

#include <string>

namespace pictorn::platform {

AppError launchError(std::uint32_t systemCode, std::string_view target,
                     std::string_view systemText) {
    ErrorKind kind = ErrorKind::CannotStart;
    std::int32_t number = errors::kInvalidProcedureCall;
    std::string description = "Invalid procedure call or argument";
    switch (systemCode) {
    case syserr::kFileNotFound:
    case syserr::kPathNotFound:
    case syserr::kInvalidName:
    case syserr::kBadPathName:
        // The handlers know "file not found" as the one sign of a missing program; a missing
        // folder on the way to it is the same problem for the user.
        kind = ErrorKind::ProgramMissing;
        number = errors::kProgramNotFound;
        description = "File not found";
        break;
    case syserr::kAccessDenied:
        kind = ErrorKind::Unexpected;
        number = errors::kPermissionDenied;
        description = "Permission denied";
        break;
    default:
        break;
    }
    if (!target.empty()) {
        description += ": ";
        description += target;
    }
    if (!systemText.empty()) {
        description += " (";
        description += systemText;
        description += ")";
    }
    return AppError(kind, number, std::move(description));
}

std::uint32_t shellExecuteResultToSystemCode(std::intptr_t result) {
    switch (result) {
    case 0: // out of memory or resources
        return 8;
    case 2: // SE_ERR_FNF
        return syserr::kFileNotFound;
    case 3: // SE_ERR_PNF
        return syserr::kPathNotFound;
    case 5: // SE_ERR_ACCESSDENIED
        return syserr::kAccessDenied;
    case 11: // ERROR_BAD_FORMAT
        return syserr::kBadExeFormat;
    case 27: // SE_ERR_ASSOCINCOMPLETE
    case 31: // SE_ERR_NOASSOC
        return syserr::kNoAssociation;
    default:
        return static_cast<std::uint32_t>(result);
    }
}

} // namespace pictorn::platform
