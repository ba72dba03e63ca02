#pragma once
// Child processes for tests that talk to programs nobody here wrote.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace veltrano::test {

class Process {
public:
    // Starts argv[0] (a path) with stdout and stderr to `logPath`.
    Process(const std::vector<std::string>& argv, const std::string& logPath) : log_(logPath) {
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&fa, 1, 2);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&pid_, args[0], &fa, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
    }
    ~Process() { Stop(); }
    bool started() const { return pid_ > 0; }
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            int st;
            if (::waitpid(pid_, &st, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // Exit status once it ends by itself (waits up to `ms`); -1 if it did not.
    int Wait(int ms) {
        for (int i = 0; i < ms; ++i) {
            int st;
            if (::waitpid(pid_, &st, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return -1;
    }
    std::string Log() const {
        std::ifstream in(log_);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

private:
    pid_t pid_ = -1;
    std::string log_;
};

// Runs a program to the end; returns its exit status and output.
inline int RunProgram(const std::vector<std::string>& argv, std::string* output, int timeoutMs = 20000) {
    static int n = 0;
    const std::string log = ::testing::TempDir() + "/run" + std::to_string(::getpid()) + "_" + std::to_string(n++);
    Process p(argv, log);
    if (!p.started()) return -1;
    const int st = p.Wait(timeoutMs);
    if (output) *output = p.Log();
    return st;
}

inline bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

inline bool WaitFor(const std::function<bool()>& ready, int ms) {
    for (int i = 0; i < ms / 10; ++i) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ready();
}

}  // namespace veltrano::test
