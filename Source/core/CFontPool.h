#pragma once

#include "core/CObject.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace Orvane
{

class CFont;

// 32-bit FNV-1a over the bytes of a font name.
struct FontNameHash
{
    size_t operator()(const std::string& name) const;
};

// The application's fonts by name; every entry holds one reference on its font.
class CFontPool : public CObject
{
public:
    using Map = std::unordered_map<std::string, CFont*, FontNameHash>;

    CFontPool() = default;
    ~CFontPool() override;

    // A bitmap font from its table and pages; a font already under the name is unloaded and
    // released first. The new font stays in the pool even when it fails to load; the load's result.
    int loadFont(const std::string& name, const std::string& path, uint32_t releasable);
    // The same with a system font made from size, weight, character-set index, vertical and option.
    int loadSystemFont(int32_t size, int32_t weight, int32_t charsetIndex, int32_t vertical, int32_t option,
                       uint32_t releasable, const std::string& name, const std::string& faceName);
    // Drops every releasable font that only the pool still holds.
    void releaseUnused();
    // Removes the entry without releasing its font (the caller has done so).
    void eraseFont(Map::iterator entry);
    Map::iterator find(const std::string& name) { return fonts.find(name); }
    // The font under the name, null when there is none; no reference is added.
    CFont* lookup(const std::string& name) const;
    // The per-frame glyph step of every font, in the map's order.
    void renderGlyphs();

    Map fonts;

private:
    // The entry for name, its old font unloaded and released.
    CFont*& takeEntry(const std::string& name);
};

} // namespace Orvane
