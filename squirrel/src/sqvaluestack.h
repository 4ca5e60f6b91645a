// The value stack of a thread. Its cells never move: the whole capacity is reserved as address
// space when the thread starts (pages are only committed when touched), so a reference to a
// cell stays valid across anything that pushes, calls or grows the stack.
#pragma once

#include <cstdlib>
#include <new>

#include "sqobject.h"

class SQValueStack {
public:
    // Deepest stack a script can use; beyond it a call fails with "stack overflow".
    static constexpr SQInteger kScriptLimit = 1 << 20;
    // Room above the script limit for the registers of the last frame and native pushes.
    static constexpr SQInteger kCapacity = kScriptLimit + (1 << 16);

    SQValueStack() = default;
    SQValueStack(const SQValueStack &) = delete;
    SQValueStack &operator=(const SQValueStack &) = delete;
    ~SQValueStack() {
        Clear();
        std::free(_cells);
    }

    bool Reserve() {
        if (!_cells) _cells = static_cast<SQObjectPtr *>(std::malloc(sizeof(SQObjectPtr) * static_cast<size_t>(kCapacity)));
        return _cells != nullptr;
    }
    // Makes cells [0, n) exist; false when n is beyond the capacity.
    bool Grow(SQInteger n) {
        if (n <= _size) return true;
        if (n > kCapacity || !_cells) return false;
        for (SQInteger i = _size; i < n; i++) new (&_cells[i]) SQObjectPtr();
        _size = n;
        return true;
    }
    void Clear() {
        for (SQInteger i = _size; i > 0; i--) _cells[i - 1].~SQObjectPtr();
        _size = 0;
    }

    SQObjectPtr &operator[](size_t i) { return _cells[i]; }
    const SQObjectPtr &operator[](size_t i) const { return _cells[i]; }
    size_t size() const { return static_cast<size_t>(_size); }
    SQObjectPtr *data() { return _cells; }
    SQObjectPtr *begin() { return _cells; }
    SQObjectPtr *end() { return _cells + _size; }
    const SQObjectPtr *begin() const { return _cells; }
    const SQObjectPtr *end() const { return _cells + _size; }

private:
    SQObjectPtr *_cells = nullptr;
    SQInteger _size = 0;
};
