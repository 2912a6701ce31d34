// Runs a piece of test code in a child process under a file size limit, for
// real short writes: the kernel refuses the bytes past the limit with EFBIG
// (SIGXFSZ is ignored so the child is not killed), as a full disk would.
#pragma once

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// The child's exit code is body's result (90 when the limit cannot be set, 92
// when body throws); -1 or -2 when the child could not run or did not exit.
inline int RunUnderFileSizeLimit(rlim_t limit, const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
            _exit(90);
        int code = 91;
        try {
            code = body();
        } catch (...) {
            code = 92;
        }
        _exit(code);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}
