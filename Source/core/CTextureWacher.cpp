#include "core/CTextureWacher.h"

#include <algorithm>

namespace Orvane
{

CTextureWacher::~CTextureWacher()
{
    for (auto& [name, slots] : callbacks)
        releaseSlots(slots, nullptr);
    callbacks.clear();
}

// Releases and empties every slot holding the callback; with null, every slot.
void CTextureWacher::releaseSlots(Slots& slots, const ICallback* callback)
{
    for (ICallback*& slot : slots)
        if (slot && (!callback || slot == callback))
        {
            ICallback* held = slot;
            slot = nullptr;
            held->release();
        }
}

void CTextureWacher::watch(const std::string& name)
{
    if (!name.empty()) callbacks.try_emplace(name);
}

int CTextureWacher::addCallback(const std::string& name, ICallback* callback)
{
    const auto it = callbacks.find(name);
    if (!callback || it == callbacks.end()) return 0;
    Slots& slots = it->second;
    const auto empty = std::find(slots.begin(), slots.end(), nullptr);
    if (empty != slots.end())
        *empty = callback;
    else
        slots.push_back(callback);
    callback->addRef();
    return 1;
}

void CTextureWacher::notify(const std::string& name)
{
    const auto it = name.empty() ? callbacks.end() : callbacks.find(name);
    if (it == callbacks.end()) return;
    notifying.push_back(std::move(it->second));
    callbacks.erase(it);
    const size_t level = notifying.size() - 1;
    // By index: a nested notify may grow the outer vector, and removeCallback may empty later slots.
    for (size_t i = 0; i < notifying[level].size(); ++i)
    {
        ICallback* callback = notifying[level][i];
        if (!callback) continue;
        // Out of its slot before it runs, so removing itself does not release it under its own feet.
        notifying[level][i] = nullptr;
        callback->onTextureNotify();
        callback->release();
    }
    notifying.pop_back();
}

void CTextureWacher::removeCallback(ICallback* callback)
{
    if (!callback) return;
    for (auto& [name, slots] : callbacks)
        releaseSlots(slots, callback);
    for (Slots& slots : notifying)
        releaseSlots(slots, callback);
}

} // namespace Orvane
