#pragma once

#include "core/CObject.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace Orvane
{

// Tells the objects that draw a texture by name when that texture is going away. A render target
// watches its texture's name while it lives and announces it when it is destroyed; sprites register
// callbacks under the names they draw.
class CTextureWacher
{
public:
    class ICallback : public CObject
    {
    public:
        // The watched texture is going away.
        virtual void onTextureNotify() = 0;
    };

    CTextureWacher() = default;
    virtual ~CTextureWacher();
    CTextureWacher(const CTextureWacher&) = delete;
    CTextureWacher& operator=(const CTextureWacher&) = delete;

    // Starts watching a name; a name already watched keeps its callbacks. An empty name is ignored.
    void watch(const std::string& name);
    bool isWatched(const std::string& name) const { return callbacks.contains(name); }
    // Holds the callback (one reference) under a watched name, in the first empty slot; 1. A null
    // callback or a name not watched: 0, nothing held.
    int addCallback(const std::string& name, ICallback* callback);
    // Runs and releases every callback of the name in slot order, and stops watching it. The name
    // stops being watched before the first callback runs, so callbacks may add, remove and watch
    // freely; a callback removed by an earlier one is not run.
    void notify(const std::string& name);
    // Releases every registration of the callback; the names stay watched.
    void removeCallback(ICallback* callback);

private:
    using Slots = std::vector<ICallback*>;

    static void releaseSlots(Slots& slots, const ICallback* callback);

    std::unordered_map<std::string, Slots> callbacks;
    // The lists being run by notify, innermost last.
    std::vector<Slots> notifying;
};

} // namespace Orvane
