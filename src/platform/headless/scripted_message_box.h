#pragma once
// A message box that shows nothing: it logs every box and answers from a queue, so tests
// can check exact texts and choose the button the "user" presses.
#include "platform/message_box.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace pictorn::headless {

struct ShownBox {
    std::string text;
    unsigned flags = 0;
    std::string title;
    std::string helpFile;
    int helpContext = 0;
};

class ScriptedMessageBox : public platform::MessageBoxService {
public:
    int show(std::string_view text, unsigned flags, std::string_view title,
             std::string_view helpFile = {}, int helpContext = 0) override;

    // Answers used in order; when the queue is empty the box answers OK.
    std::deque<int> answers;
    // Runs while a box is "open" (after it is logged, before it answers), for tests that
    // act during a modal box.
    std::function<void(const ShownBox&)> whileOpen;
    std::vector<ShownBox> shown;

    const ShownBox& last() const { return shown.back(); }
};

} // namespace pictorn::headless
