#include "core/CFontPool.h"

#include "text/CBitmapFont.h"
#include "text/CSystemFont.h"

namespace Orvane
{

size_t FontNameHash::operator()(const std::string& name) const
{
    uint32_t hash = 2166136261u;
    for (const char c : name)
    {
        hash ^= uint8_t(c);
        hash *= 16777619u;
    }
    return hash;
}

CFontPool::~CFontPool()
{
    for (auto& [name, font] : fonts)
        if (font)
            font->release();
    fonts.clear();
}

CFont*& CFontPool::takeEntry(const std::string& name)
{
    CFont*& entry = fonts[name];
    if (entry)
    {
        entry->unload();
        entry->release();
        entry = nullptr;
    }
    return entry;
}

int CFontPool::loadFont(const std::string& name, const std::string& path, uint32_t releasable)
{
    CFont*& entry = takeEntry(name);
    auto* font = new CBitmapFont(releasable);
    font->setName(name);
    entry = font;
    return font->load(name, path);
}

int CFontPool::loadSystemFont(int32_t size, int32_t weight, int32_t charsetIndex, int32_t vertical,
                              int32_t option, uint32_t releasable, const std::string& name,
                              const std::string& faceName)
{
    CFont*& entry = takeEntry(name);
    auto* font = new CSystemFont(releasable);
    font->setName(name);
    entry = font;
    return font->create(size, weight, charsetIndex, vertical, option, faceName);
}

void CFontPool::releaseUnused()
{
    for (auto it = fonts.begin(); it != fonts.end();)
    {
        CFont* font = it->second;
        if (font && font->autoRelease && font->getRefCount() <= 1)
        {
            font->release();
            it = fonts.erase(it);
        }
        else
            ++it;
    }
}

void CFontPool::eraseFont(Map::iterator entry)
{
    fonts.erase(entry);
}

CFont* CFontPool::lookup(const std::string& name) const
{
    const auto found = fonts.find(name);
    return found == fonts.end() ? nullptr : found->second;
}

void CFontPool::renderGlyphs()
{
    for (auto& [name, font] : fonts)
        if (font)
            font->renderGlyph();
}

} // namespace Orvane
