#pragma once
// The common dialogs of Windows: GetOpenFileNameW / GetSaveFileNameW for files and
// SHBrowseForFolderW (new style, with its new-folder button) for folders. Both work the
// same on every Windows since XP and under Wine.
#include "platform/file_dialogs.h"

namespace pictorn::platform::win32 {

class Win32FileDialogs final : public FileDialogs {
public:
    std::optional<std::string> openFile(ui::Form* owner, const OpenFileRequest& request) override;
    std::optional<SaveFileAnswer> saveFile(ui::Form* owner,
                                           const SaveFileRequest& request) override;
    std::optional<std::string> browseFolder(ui::Form* owner, const FolderRequest& request) override;
};

} // namespace pictorn::platform::win32
