#pragma once

#include <mutex>

namespace Kavro
{

// Recursive lock: the owning thread may enter again.
class CCriticalSection
{
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }

private:
    std::recursive_mutex mutex_;
};

// Holds a critical section for the span of one block, on every way out of it.
class CAutoLock
{
public:
    explicit CAutoLock(CCriticalSection* section) : section_(section)
    {
        if (section_)
            section_->Enter();
    }
    explicit CAutoLock(CCriticalSection& section) : CAutoLock(&section) {}
    virtual ~CAutoLock()
    {
        if (section_)
            section_->Leave();
    }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCriticalSection* section_;
};

} // namespace Kavro
