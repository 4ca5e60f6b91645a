#include "core/DesktopOpen.h"

#include <sys/wait.h>
#include <unistd.h>

namespace Orvane
{

int openWithDesktop(const std::string& target)
{
    if (target.empty()) return -1;
    // The intermediate child exits at once, so the opener is adopted by init and leaves no zombie.
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0)
    {
        if (fork() == 0)
        {
            execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
}

} // namespace Orvane
