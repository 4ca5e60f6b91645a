#pragma once

#include <atomic>

namespace Kavro
{

// How many library objects made through RefCounted are alive in the process: a run that released what
// it made leaves it where it found it.
inline std::atomic<int>& LiveObjectCount()
{
    static std::atomic<int> count{0};
    return count;
}

// Implements the three counting operations of IInterface for library objects.
template <typename Interface> class RefCounted : public Interface
{
public:
    RefCounted() { ++LiveObjectCount(); }
    ~RefCounted() override { --LiveObjectCount(); }

    int release() override
    {
        const int left = --count_;
        if (left == 0)
            delete this;
        return left;
    }
    int addRef() override { return ++count_; }
    int getRefCount() override { return count_; }

private:
    std::atomic<int> count_{1};
};

} // namespace Kavro
