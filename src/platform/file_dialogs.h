#pragma once
// The common file dialogs: picking a file to open, naming a file to save and choosing a
// folder. A cancelled dialog answers nothing; callers that treat a cancel as the classic
// "cancel was selected" error raise it with raiseDialogCancelled().
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::ui {
class Form;
}

namespace pictorn::platform {

// One entry of a dialog's type list: what the user reads and the pattern(s) it matches,
// several patterns separated by semicolons ("*.jpg;*.jpeg").
struct FileFilter {
    std::string description;
    std::string pattern;
    bool operator==(const FileFilter&) const = default;
};

// "Text|*.txt|All files|*.*" as the classic filter property spells a list. A trailing odd
// description without a pattern is dropped.
std::vector<FileFilter> parseFilterList(std::string_view list);

struct OpenFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string initialDir;
    bool hideReadOnly = true;  // no "open as read-only" box
    bool fileMustExist = true; // the dialog refuses names of missing files
};

struct SaveFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    int filterIndex = 1;  // 1-based: the type offered first
    std::string fileName; // proposed name, may include a folder
    std::string initialDir;
    std::string defaultExtension; // appended when the user types none, without the dot
    bool overwritePrompt = true;  // ask before replacing an existing file
    bool pathMustExist = true;    // the folder of the name must exist
    bool hideReadOnly = true;
};

struct SaveFileAnswer {
    std::string path;
    int filterIndex = 1; // 1-based: the type the user left selected
    bool operator==(const SaveFileAnswer&) const = default;
};

struct FolderRequest {
    std::string title;         // the window's caption
    std::string prompt;        // the line above the folder tree
    std::string initialFolder; // selected when the browser opens (ignored when empty)
    bool newFolderButton = true;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Each call blocks until the user closes the dialog, which is modal to `owner` (may be
    // null). Nothing is answered when the user cancels.
    virtual std::optional<std::string> openFile(ui::Form* owner,
                                                const OpenFileRequest& request) = 0;
    virtual std::optional<SaveFileAnswer> saveFile(ui::Form* owner,
                                                   const SaveFileRequest& request) = 0;
    virtual std::optional<std::string> browseFolder(ui::Form* owner,
                                                    const FolderRequest& request) = 0;
};

// Raises AppError 32755 "Cancel was selected.".
[[noreturn]] void raiseDialogCancelled();
// Raises the error the report box shows for a dialog the system could not show (its
// extended error code in the description).
[[noreturn]] void raiseDialogFailed(std::uint32_t code);

} // namespace pictorn::platform
