// A program started by a test with its standard output on a pipe, ended and
// waited for when the test is done with it. Every wait has a deadline, so a
// program that misbehaves fails its test, never hangs it.
#pragma once
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess(const char* program, std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            std::vector<char*> argv{const_cast<char*>(program)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program, argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    // The next line it prints, without the newline; what came by the deadline.
    std::string line(int timeoutMs = 5000) {
        std::string text;
        char c;
        pollfd p{out_, POLLIN, 0};
        while (out_ >= 0 && poll(&p, 1, timeoutMs) > 0 && read(out_, &c, 1) == 1 && c != '\n')
            text += c;
        return text;
    }
    // Stops reading its output, for a program that is no longer listened to.
    void closeOutput() {
        if (out_ >= 0) close(out_);
        out_ = -1;
    }
    // Its exit status once it ends by itself (-1 when a signal ended it).
    int wait() { return reap(true); }
    // Ends it (SIGTERM, then SIGKILL after two seconds); its exit status.
    int stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            for (int i = 0; i < 200 && reap(false) == kRunning; ++i) usleep(10000);
            if (pid_ > 0) kill(pid_, SIGKILL);
        }
        return reap(true);
    }

private:
    static constexpr int kRunning = -2;
    int reap(bool block) {
        if (pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, block ? 0 : WNOHANG) == 0) return kRunning;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
            closeOutput();
        }
        return status_;
    }
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
};
