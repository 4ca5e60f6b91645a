#include <kavro/CCriticalSection.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(CCriticalSection, SameThreadReentersAndOtherThreadWaits)
{
    Kavro::CCriticalSection section;
    std::atomic<bool> otherGotIn{false};
    {
        Kavro::CAutoLock outer(section);
        {
            Kavro::CAutoLock inner(section); // re-entered, no deadlock
            std::thread other([&] { otherGotIn = section.TryEnter(); if (otherGotIn) section.Leave(); });
            other.join();
        }
        EXPECT_FALSE(otherGotIn);
    }
    std::thread after([&] { otherGotIn = section.TryEnter(); if (otherGotIn) section.Leave(); });
    after.join();
    EXPECT_TRUE(otherGotIn);
}

TEST(CCriticalSection, GuardLeavesOnException)
{
    Kavro::CCriticalSection section;
    try
    {
        Kavro::CAutoLock lock(section);
        throw 1;
    }
    catch (int)
    {
    }
    bool free = false;
    std::thread other([&] { free = section.TryEnter(); if (free) section.Leave(); });
    other.join();
    EXPECT_TRUE(free);
}
