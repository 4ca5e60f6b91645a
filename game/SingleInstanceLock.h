#pragma once

#include <string>

namespace Orvane
{

// Keeps a second copy of the game from running: an exclusive lock on a file named after the
// instance name in the user's runtime folder (or the temporary folder). The lock goes with the
// process, so a crashed run never blocks the next one.
class SingleInstanceLock
{
public:
    explicit SingleInstanceLock(const std::string& name = "KiruW4Mutex");
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // 1 when this process holds the lock, 0 when another process holds it.
    int acquire();
    void release();
    const std::string& getPath() const { return path; }

private:
    std::string path;
    int descriptor = -1;
};

} // namespace Orvane
