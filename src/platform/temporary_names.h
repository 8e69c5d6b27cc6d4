#pragma once
// The names of the temporary files a replacing write makes next to its target. A write that
// is killed half-way leaves one behind; the name pattern is how such leftovers are told
// apart from anything else in a folder, so it is matched exactly.
#include <cstdint>
#include <string>
#include <string_view>

namespace pictorn::platform {

// "~pictorn<process id>_<serial>.tmp"
std::string temporaryFileName(std::uint32_t processId, std::uint32_t serial);
// True only for names temporaryFileName can make (a bare name, no folder).
bool isTemporaryFileName(std::string_view name);

} // namespace pictorn::platform
