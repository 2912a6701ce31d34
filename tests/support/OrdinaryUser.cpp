#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace OrdinaryUser {

namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;
constexpr gid_t UsersGroup = 100;

enum ExitCode { Passed = 0, Failed = 1, Raised = 2, CannotDrop = 3 };

} // namespace

gid_t SharedGroup()
{
    if (geteuid() == 0)
        return UsersGroup;
    std::vector<gid_t> groups(static_cast<size_t>(getgroups(0, nullptr)) + 1);
    const int count = getgroups(static_cast<int>(groups.size()), groups.data());
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<size_t>(i)] != getegid())
            return groups[static_cast<size_t>(i)];
    return getegid();
}

bool BecomeSecondUser()
{
    const gid_t groups[] = {NoGroup, UsersGroup};
    return geteuid() == 0 && setgroups(2, groups) == 0 && setgid(NoGroup) == 0 && setuid(SecondUser) == 0;
}

void Run(const std::function<void()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0) << "cannot fork";
    if (pid == 0) {
        if (geteuid() == 0) {
            const gid_t groups[] = {NoGroup, UsersGroup};
            if (setgroups(2, groups) != 0 || setgid(NoGroup) != 0 || setuid(Nobody) != 0)
                _exit(CannotDrop);
        }
        int code = Passed;
        try {
            body();
            code = ::testing::Test::HasFailure() ? Failed : Passed;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "the ordinary user's test code raised: %s\n", e.what());
            code = Raised;
        }
        std::fflush(nullptr);
        _exit(code);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    switch (WEXITSTATUS(status)) {
    case Passed:
        break;
    case Failed:
        ADD_FAILURE() << "the checks run as an ordinary user failed (their messages are above)";
        break;
    case Raised:
        ADD_FAILURE() << "the ordinary user's test code raised an error (above)";
        break;
    case CannotDrop:
        ADD_FAILURE() << "cannot drop to the unprivileged account " << Nobody;
        break;
    default:
        ADD_FAILURE() << "the child ended with code " << WEXITSTATUS(status);
    }
}

} // namespace OrdinaryUser
