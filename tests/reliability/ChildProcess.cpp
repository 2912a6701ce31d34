// Forked children for the file system and crash tests (see ChildProcess.h).
#include "tests/reliability/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <thread>
#include <vector>

#include <dirent.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

} // namespace

TChildResult RunInChild(const std::function<std::string()>& body)
{
    TChildResult result;
    int fds[2];
    if (pipe(fds) != 0) {
        result.Report = "cannot make a pipe";
        return result;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        result.Report = "cannot fork";
        return result;
    }
    if (pid == 0) {
        close(fds[0]);
        std::string report;
        try {
            report = body();
        } catch (const std::exception& e) {
            report = std::string("the child raised: ") + e.what();
        } catch (...) {
            report = "the child raised an unknown error";
        }
        WriteAll(fds[1], report);
        close(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.Report.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.Exited = WIFEXITED(status);
    result.Code = result.Exited ? WEXITSTATUS(status) : -1;
    result.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

bool EnterPrivateMountNamespace(std::string& why)
{
    if (unshare(CLONE_NEWNS) != 0) {
        why = std::string("no mount namespace of its own (unshare: ") + std::strerror(errno) + ")";
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        why = std::string("cannot make the mounts private (") + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

std::vector<std::string> EntriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string KillWhileChanging(const std::function<void(const std::function<void()>& started)>& changes,
                              std::chrono::microseconds delay)
{
    int ready[2];
    if (pipe(ready) != 0)
        return "cannot make a pipe";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return "cannot fork";
    if (pid == 0) {
        close(ready[0]);
        bool told = false;
        try {
            changes([&] {
                const char go = 1;
                if (!told && write(ready[1], &go, 1) != 1)
                    _exit(2);
                told = true;
            });
        } catch (...) {
            _exit(3);
        }
        _exit(4);
    }
    close(ready[1]);
    char go = 0;
    const bool started = read(ready[0], &go, 1) == 1;
    close(ready[0]);
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!started)
        return "the child made no change";
    if (!WIFSIGNALED(status))
        return "the child stopped on its own, code " + std::to_string(WEXITSTATUS(status));
    return {};
}
