#pragma once
// The error numbers the report box shows for what the image control and the grab answer as
// values: a save that wrote nothing, a foreground window that is not there. They are the
// numbers these failures have always been reported with (0x8000FFFF for every path that
// cannot be written), so an error report reads as it always did; no handler decides
// anything by them.
#include "capture/image_box.h"
#include "platform/app_error.h"

namespace pictorn::capture {

// A save that wrote nothing: errors::kDiskFull for a full disk, errors::kUnexpected for any
// other path that cannot be written; the reason is the description.
AppError reportedError(const SaveResult& notSaved);
// For commands that report every failure of a save the same way.
void raiseUnlessSaved(const SaveResult& result);

// An active-window capture with no window in the foreground.
AppError noActiveWindowError();

} // namespace pictorn::capture
