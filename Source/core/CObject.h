#pragma once

#include <string>

namespace Orvane
{

// Base of every engine object: a reference count that starts at 1 and a name.
class CObject
{
public:
    CObject() = default;
    explicit CObject(std::string name) : name(std::move(name)) {}
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    virtual void setName(const std::string& newName);
    virtual const std::string& getName() const;
    // Returns the new count.
    virtual int addRef();
    virtual int getRefCount() const;
    // Deletes the object when the count reaches 0 and returns 0; otherwise the new count.
    virtual int release();

private:
    int refCount = 1;
    std::string name;
};

} // namespace Orvane
