#include "platform/headless/scripted_message_box.h"

namespace pictorn::headless {

int ScriptedMessageBox::show(std::string_view text, unsigned flags, std::string_view title,
                             std::string_view helpFile, int helpContext) {
    shown.push_back(
        ShownBox{std::string(text), flags, std::string(title), std::string(helpFile), helpContext});
    if (whileOpen) {
        whileOpen(shown.back());
    }
    if (answers.empty()) {
        return platform::mb::kIdOk;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace pictorn::headless
