#include "SingleInstanceLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// flock locks belong to the open file, so a second process is needed to see the refusal.
int acquireInChild(const std::string& name)
{
    const pid_t child = fork();
    if (child == 0)
    {
        Orvane::SingleInstanceLock lock(name);
        _exit(lock.acquire());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(SingleInstanceLock, SecondProcessIsRefusedUntilTheFirstLetsGo)
{
    const std::string name = "OrvaneLockTest" + std::to_string(getpid());
    {
        Orvane::SingleInstanceLock lock(name);
        ASSERT_EQ(lock.acquire(), 1);
        EXPECT_EQ(acquireInChild(name), 0);
        lock.release();
        EXPECT_EQ(acquireInChild(name), 1);
        unlink(lock.getPath().c_str());
    }
}
