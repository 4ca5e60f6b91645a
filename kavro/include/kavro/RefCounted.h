#pragma once

#include <atomic>

namespace Kavro
{

// Implements the three counting operations of IInterface for library objects.
template <typename Interface> class RefCounted : public Interface
{
public:
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
