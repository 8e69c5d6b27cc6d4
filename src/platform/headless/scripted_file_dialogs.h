#pragma once
// File dialogs that show nothing: each request is logged with its owner, and answered
// from the queue of its kind. An empty queue answers as a user pressing Cancel.
#include "platform/file_dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pictorn::headless {

template <class Request> struct LoggedRequest {
    std::string owner; // the owner form's name, empty when none
    Request request;
};

class ScriptedFileDialogs : public platform::FileDialogs {
public:
    std::optional<std::string> openFile(ui::Form* owner,
                                        const platform::OpenFileRequest& request) override;
    std::optional<platform::SaveFileAnswer>
    saveFile(ui::Form* owner, const platform::SaveFileRequest& request) override;
    std::optional<std::string> browseFolder(ui::Form* owner,
                                            const platform::FolderRequest& request) override;

    // Answers, used in order; std::nullopt plays a cancel.
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<platform::SaveFileAnswer>> saveAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    // Runs while a dialog is "open", before it answers (for tests that act meanwhile).
    std::function<void()> whileOpen;

    std::vector<LoggedRequest<platform::OpenFileRequest>> openRequests;
    std::vector<LoggedRequest<platform::SaveFileRequest>> saveRequests;
    std::vector<LoggedRequest<platform::FolderRequest>> folderRequests;

    std::size_t requestCount() const {
        return openRequests.size() + saveRequests.size() + folderRequests.size();
    }
};

} // namespace pictorn::headless
