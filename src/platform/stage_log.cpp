#include "platform/stage_log.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace pictorn::platform {
namespace {

struct StageLog {
    std::mutex mutex;
    std::FILE* file = nullptr;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    StageLog() {
        // Read once: the benchmark sets it before the program starts.
        if (const char* path = std::getenv("PICTORN_STAGE_LOG"); path && *path)
            file = std::fopen(path, "ab");
    }
};

StageLog& stageLog() {
    static StageLog log;
    return log;
}

} // namespace

void markStage(std::string_view stage) {
    StageLog& log = stageLog();
    if (!log.file)
        return;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - log.start)
                        .count();
    const std::lock_guard lock(log.mutex);
    std::fprintf(log.file, "%.1f\t%.*s\n", static_cast<double>(us) / 1000.0,
                 static_cast<int>(stage.size()), stage.data());
    std::fflush(log.file);
}

} // namespace pictorn::platform
