#include "platform/headless/scripted_file_dialogs.h"

#include "platform/ui/form.h"

namespace pictorn::headless {
namespace {

std::string ownerName(const ui::Form* owner) {
    return owner ? owner->name() : std::string();
}

template <class Answer> std::optional<Answer> next(std::deque<std::optional<Answer>>& queue) {
    if (queue.empty())
        return std::nullopt;
    auto answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

std::optional<std::string> ScriptedFileDialogs::openFile(ui::Form* owner,
                                                         const platform::OpenFileRequest& request) {
    openRequests.push_back({ownerName(owner), request});
    if (whileOpen)
        whileOpen();
    return next(openAnswers);
}

std::optional<platform::SaveFileAnswer>
ScriptedFileDialogs::saveFile(ui::Form* owner, const platform::SaveFileRequest& request) {
    saveRequests.push_back({ownerName(owner), request});
    if (whileOpen)
        whileOpen();
    return next(saveAnswers);
}

std::optional<std::string>
ScriptedFileDialogs::browseFolder(ui::Form* owner, const platform::FolderRequest& request) {
    folderRequests.push_back({ownerName(owner), request});
    if (whileOpen)
        whileOpen();
    return next(folderAnswers);
}

} // namespace pictorn::headless
