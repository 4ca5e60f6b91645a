#pragma once

#include <cstdint>

namespace Kavro
{

// Base of every library interface. Objects are reference counted and released through release().
class IInterface
{
public:
    // Drops one reference; the object deletes itself at zero. Returns the new count.
    virtual int release() = 0;
    virtual int addRef() = 0;
    virtual int getRefCount() = 0;
    virtual ~IInterface() = default;
};

// Integer pair answered by touch queries.
struct IntPair
{
    int32_t x = 0;
    int32_t y = 0;
};

} // namespace Kavro
