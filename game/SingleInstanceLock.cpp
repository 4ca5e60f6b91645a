#include "SingleInstanceLock.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace Orvane
{

namespace
{

std::string lockFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
    std::error_code error;
    const auto temp = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : temp.string();
}

} // namespace

SingleInstanceLock::SingleInstanceLock(const std::string& name) : path(lockFolder() + "/" + name + ".lock") {}

SingleInstanceLock::~SingleInstanceLock() { release(); }

int SingleInstanceLock::acquire()
{
    if (descriptor >= 0) return 1;
    descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Without a lock file at all the game still runs: refusing to start would be worse.
    if (descriptor < 0) return 1;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) return 1;
    ::close(descriptor);
    descriptor = -1;
    return 0;
}

void SingleInstanceLock::release()
{
    if (descriptor < 0) return;
    ::flock(descriptor, LOCK_UN);
    ::close(descriptor);
    descriptor = -1;
}

} // namespace Orvane
