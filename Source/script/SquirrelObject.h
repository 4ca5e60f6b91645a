#pragma once

#include <squirrel.h>

namespace Orvane
{

// Counted handle to one script value of the framework's machine. While the value is reference
// counted the handle holds one machine reference to it. A key is a string or an integer.
class SquirrelObject
{
public:
    SquirrelObject();
    // Adopts a raw value and takes a reference to it.
    explicit SquirrelObject(HSQOBJECT value);
    SquirrelObject(const SquirrelObject& other);
    SquirrelObject& operator=(const SquirrelObject& other);
    virtual ~SquirrelObject();

    void Reset();
    // Negative indexes count from the top, positive ones from the base of the current native call.
    void AttachToStackObject(SQInteger index);
    // The same on the stack of vm: the thread a native method was called from, which a coroutine's call
    // is not the main machine's.
    void AttachToStackObject(HSQUIRRELVM vm, SQInteger index);
    // Pushes an integer or a new string, refers to it and pops it.
    void SetByValue(SQInteger value);
    void SetByValue(const SQChar* value);

    SQObjectType GetType() const { return object._type; }
    bool IsNull() const { return object._type == OT_NULL; }
    HSQOBJECT& GetObjectHandle() { return object; }
    const HSQOBJECT& GetObjectHandle() const { return object; }

    // Elements of a table or array, length of a string, else 0.
    SQInteger Len() const;
    bool SetValue(const SQChar* key, const SquirrelObject& value);
    bool SetValue(const SQChar* key, SQInteger value);
    bool SetValue(const SQChar* key, SQFloat value);
    bool SetValue(const SQChar* key, const SQChar* value);
    bool SetValue(SQInteger key, const SquirrelObject& value);
    bool SetValue(SQInteger key, const SQChar* value);
    bool SetUserPointer(SQInteger key, SQUserPointer pointer);
    // Null when the key is absent or holds another type.
    SQUserPointer GetUserPointer(SQInteger key) const;
    SquirrelObject GetValue(const SQChar* key) const;
    SquirrelObject GetValue(SQInteger key) const;
    bool Exists(const SQChar* key) const;
    void ArrayAppend(const SquirrelObject& value);
    // Tables and userdata only; SetDelegate takes a table or null.
    SquirrelObject GetDelegate() const;
    bool SetDelegate(const SquirrelObject& table);
    // A new userdata of size bytes under key; its payload, or null.
    SQUserPointer NewUserData(const SQChar* key, SQInteger size, SQUserPointer* typeTag = nullptr);
    // The payload of the userdata under key; false when there is none.
    bool GetUserData(const SQChar* key, SQUserPointer* data, SQUserPointer* typeTag = nullptr) const;

    // Walks a table, array or class; the object and its iterator stay pushed until the walk ends
    // (Next gives false) or EndIteration.
    bool BeginIteration();
    bool Next(SquirrelObject& key, SquirrelObject& value);
    void EndIteration();

    // The tag of a class, userdata, or an instance's class.
    bool GetTypeTag(SQUserPointer* typeTag) const;
    SQUserPointer GetInstanceUP() const;
    SQInteger ToInteger() const;
    SQFloat ToFloat() const;
    // The characters of a string; null for other types.
    const SQChar* ToString() const;

    // Pushes the held value on the framework's machine.
    void Push() const;

private:
    template <typename Key> SquirrelObject getValueOf(const Key& key) const;
    template <typename Key, typename Value> bool setValueOf(const Key& key, const Value& value);

    HSQOBJECT object;
    bool iterating = false;
};

} // namespace Orvane
