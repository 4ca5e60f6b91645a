#include "core/CTextureWacher.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Orvane;

namespace
{

// Logs its runs under its name and runs an action of the test's choosing.
class LoggingCallback : public CTextureWacher::ICallback
{
public:
    LoggingCallback(std::string name, std::vector<std::string>& log) : CTextureWacher::ICallback(), log(log)
    {
        setName(std::move(name));
    }
    void onTextureNotify() override
    {
        log.push_back(getName());
        if (action) action();
    }

    std::vector<std::string>& log;
    std::function<void()> action;
};

class TextureWatcher : public ::testing::Test
{
protected:
    ~TextureWatcher() override
    {
        for (LoggingCallback* callback : callbacks)
            callback->release();
    }
    // Held by the test with the one reference it starts with.
    LoggingCallback* make(const std::string& name)
    {
        callbacks.push_back(new LoggingCallback(name, log));
        return callbacks.back();
    }

    std::vector<std::string> log;
    std::vector<LoggingCallback*> callbacks;
    CTextureWacher watcher;
};

TEST_F(TextureWatcher, OnlyWatchedNamesTakeCallbacks)
{
    LoggingCallback* a = make("a");
    EXPECT_EQ(watcher.addCallback("suf://t", a), 0);
    EXPECT_EQ(a->getRefCount(), 1);
    EXPECT_EQ(watcher.addCallback("suf://t", nullptr), 0);

    watcher.watch("");
    EXPECT_FALSE(watcher.isWatched(""));
    watcher.watch("suf://t");
    EXPECT_EQ(watcher.addCallback("suf://t", a), 1);
    EXPECT_EQ(a->getRefCount(), 2);
    // Watching again keeps the callbacks.
    watcher.watch("suf://t");
    watcher.notify("suf://t");
    EXPECT_EQ(log, std::vector<std::string>{"a"});
}

TEST_F(TextureWatcher, DoubleAddRunsAndReleasesTwice)
{
    LoggingCallback* a = make("a");
    watcher.watch("t");
    EXPECT_EQ(watcher.addCallback("t", a), 1);
    EXPECT_EQ(watcher.addCallback("t", a), 1);
    EXPECT_EQ(a->getRefCount(), 3);
    watcher.notify("t");
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a"}));
    EXPECT_EQ(a->getRefCount(), 1);
}

TEST_F(TextureWatcher, NotifyEndsTheWatch)
{
    LoggingCallback* a = make("a");
    watcher.watch("t");
    watcher.watch("u");
    watcher.addCallback("t", a);
    watcher.addCallback("u", a);
    watcher.notify("t");
    EXPECT_FALSE(watcher.isWatched("t"));
    EXPECT_TRUE(watcher.isWatched("u"));
    EXPECT_EQ(watcher.addCallback("t", a), 0);
    EXPECT_EQ(a->getRefCount(), 2);
    watcher.notify("t");
    watcher.notify("");
    EXPECT_EQ(log, std::vector<std::string>{"a"});

    watcher.watch("t");
    EXPECT_EQ(watcher.addCallback("t", a), 1);
}

TEST_F(TextureWatcher, RemovedSlotsAreReusedInOrder)
{
    LoggingCallback* a = make("a");
    LoggingCallback* b = make("b");
    LoggingCallback* c = make("c");
    watcher.watch("t");
    watcher.watch("u");
    watcher.addCallback("t", a);
    watcher.addCallback("t", b);
    watcher.addCallback("u", a);
    watcher.removeCallback(a);
    watcher.removeCallback(nullptr);
    EXPECT_EQ(a->getRefCount(), 1);
    EXPECT_TRUE(watcher.isWatched("u"));
    watcher.addCallback("t", c);
    watcher.notify("t");
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b"}));
}

TEST_F(TextureWatcher, ACallbackRemovingItselfRunsOnceAndIsReleasedOnce)
{
    LoggingCallback* a = make("a");
    LoggingCallback* b = make("b");
    a->action = [&] { watcher.removeCallback(a); };
    watcher.watch("t");
    watcher.addCallback("t", a);
    watcher.addCallback("t", a);
    watcher.addCallback("t", b);
    watcher.notify("t");
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(a->getRefCount(), 1);
    EXPECT_EQ(b->getRefCount(), 1);
}

// A callback that destroys another registration's owner: the removed callback is not run.
TEST_F(TextureWatcher, ACallbackRemovedDuringNotifyIsNotRun)
{
    LoggingCallback* a = make("a");
    LoggingCallback* b = make("b");
    a->action = [&] { watcher.removeCallback(b); };
    watcher.watch("t");
    watcher.addCallback("t", a);
    watcher.addCallback("t", b);
    watcher.notify("t");
    EXPECT_EQ(log, std::vector<std::string>{"a"});
    EXPECT_EQ(b->getRefCount(), 1);
}

TEST_F(TextureWatcher, CallbacksMayWatchAddAndNotifyDuringNotify)
{
    LoggingCallback* a = make("a");
    LoggingCallback* b = make("b");
    LoggingCallback* c = make("c");
    int addedToOld = -1;
    a->action = [&]
    {
        addedToOld = watcher.addCallback("t", c);
        watcher.watch("t");
        watcher.addCallback("t", c);
        watcher.notify("u");
    };
    watcher.watch("t");
    watcher.watch("u");
    watcher.addCallback("t", a);
    watcher.addCallback("u", b);
    watcher.notify("t");
    EXPECT_EQ(addedToOld, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    // The new watch, made after the announcement, keeps its callback.
    EXPECT_TRUE(watcher.isWatched("t"));
    EXPECT_FALSE(watcher.isWatched("u"));
    EXPECT_EQ(c->getRefCount(), 2);
    watcher.notify("t");
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(TextureWatcher, DestructionReleasesEveryCallback)
{
    LoggingCallback* a = make("a");
    {
        CTextureWacher local;
        local.watch("t");
        local.watch("u");
        local.addCallback("t", a);
        local.addCallback("u", a);
        EXPECT_EQ(a->getRefCount(), 3);
    }
    EXPECT_EQ(a->getRefCount(), 1);
    EXPECT_TRUE(log.empty());
}

} // namespace
