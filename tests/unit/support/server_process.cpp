#include "support/server_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pictorn::test {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

int makeTempFile() {
    char name[] = "/tmp/pictorn-child-XXXXXX";
    const int fd = ::mkostemp(name, O_CLOEXEC);
    if (fd >= 0) {
        ::unlink(name);
    }
    return fd;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got <= 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

// Starts argv[0] with stdin from /dev/null, stdout into `outFd` and stderr into `errFd`.
pid_t spawn(const std::vector<std::string>& argv, int outFd, int errFd) {
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    // Python buffers stdout when it is a pipe; the PORT line must come at once.
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        env.emplace_back(*entry);
    }
    env.emplace_back("PYTHONUNBUFFERED=1");
    std::vector<char*> envp;
    for (auto& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Waits for the child up to timeoutMs; true when it has been reaped.
bool reap(pid_t pid, int timeoutMs, int* status) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const pid_t done = ::waitpid(pid, status, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        ::usleep(10 * 1000);
    }
}

void terminate(pid_t pid) {
    int status = 0;
    ::kill(pid, SIGTERM);
    if (!reap(pid, 2000, &status)) {
        ::kill(pid, SIGKILL);
        reap(pid, 5000, &status);
    }
}

} // namespace

std::string testScriptPath(const std::string& relative) {
    return std::string(PICTORN_TEST_SOURCE_DIR) + "/unit/" + relative;
}

ServerProcess::ServerProcess(const std::string& script, const std::vector<std::string>& args,
                             int timeoutMs) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        error_ = "cannot make a pipe";
        return;
    }
    stderr_ = makeTempFile();
    std::vector<std::string> argv{"/usr/bin/python3", script};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = stderr_ >= 0 ? spawn(argv, out[1], stderr_) : -1;
    ::close(out[1]);
    stdout_ = out[0];
    if (pid_ < 0) {
        error_ = "cannot start /usr/bin/python3 " + script;
        return;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (auto line = readLine(msLeft(deadline))) {
        if (line->rfind("PORT ", 0) == 0) {
            port_ = static_cast<std::uint16_t>(std::strtoul(line->c_str() + 5, nullptr, 10));
            if (port_ != 0) {
                return;
            }
        }
    }
    error_ = script + " did not report its port; its stderr:\n" + stderrText();
}

ServerProcess::~ServerProcess() {
    stop();
    if (stdout_ >= 0) {
        ::close(stdout_);
    }
    if (stderr_ >= 0) {
        ::close(stderr_);
    }
}

void ServerProcess::stop() {
    if (pid_ > 0) {
        terminate(pid_);
        pid_ = -1;
    }
}

std::string ServerProcess::stderrText() const {
    return stderr_ >= 0 ? readAll(stderr_) : "";
}

std::optional<std::string> ServerProcess::readLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        if (stdout_ < 0) {
            return std::nullopt;
        }
        pollfd entry{stdout_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, msLeft(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char buffer[1024];
        const ssize_t got = ::read(stdout_, buffer, sizeof buffer);
        if (got <= 0) {
            return std::nullopt;
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

int runProgram(const std::vector<std::string>& argv, std::string& output, int timeoutMs) {
    const int sink = makeTempFile();
    if (sink < 0) {
        return -1;
    }
    const pid_t pid = spawn(argv, sink, sink);
    int status = 0;
    bool finished = pid > 0 && reap(pid, timeoutMs, &status);
    if (pid > 0 && !finished) {
        terminate(pid);
    }
    output = readAll(sink);
    ::close(sink);
    return finished && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace pictorn::test
