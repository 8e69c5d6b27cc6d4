#pragma once
// Whether new files can be made in a folder, found by making one and removing it again.
// The probe file gets a name that is free at that moment ("test.txt" unless a file or
// folder of that name is there already), so nothing the user keeps there is overwritten
// or deleted.
#include "platform/file_system.h"

#include <string>
#include <string_view>

namespace pictorn::prefs {

enum class ProbeResult {
    Writable,    // a file was made (and removed again)
    Refused,     // the folder is there but refuses new files (read-only, access denied, full)
    Unreachable, // no such folder or an unusable name: the existence check reports that
};

// `folder` is used as typed, with a backslash added unless it ends in one.
ProbeResult probeFolderForWriting(platform::FileSystem& files, std::string_view folder);

// The probe file names in the order they are tried: "test.txt", "test_1.txt", ...
std::string probeFileName(int attempt);

} // namespace pictorn::prefs
