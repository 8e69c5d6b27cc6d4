#pragma once
// Where the time of a capture goes, for the capture benchmark: with PICTORN_STAGE_LOG naming
// a file, each mark appends "<ms since the process started>\t<stage>" to it (from any
// thread); without it a mark costs one test of a flag.
#include <string_view>

namespace pictorn::platform {

void markStage(std::string_view stage);

} // namespace pictorn::platform
