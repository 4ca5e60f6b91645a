#include "text/CBitmapFont.h"

#include "core/CFile.h"

#include <kavro/Bytes.h>
#include <kavro/IRenderDevice.h>
#include <kavro/LoadReport.h>

#include <algorithm>

namespace Orvane
{

namespace
{

constexpr size_t RecordSize = 9;
const char* const DefaultDirectory = "media/font/";

uint16_t readU16(const uint8_t* p)
{
    return Kavro::loadLE16(p);
}

std::string directoryOf(const std::string& dir)
{
    if (dir.empty())
        return DefaultDirectory;
    return dir.back() == '/' ? dir : dir + '/';
}

} // namespace

CBitmapFont::~CBitmapFont()
{
    unload();
}

int CBitmapFont::load(const std::string& name, const std::string& dir)
{
    unload();
    const std::string prefix = directoryOf(dir) + name;
    CFile file;
    const std::string table = prefix + ".bin";
    if (file.open(table.c_str(), 0, 0, 0) != 0)
    {
        Kavro::ReportLoadFailure(table, CFile::explainMissing(table.c_str()));
        return -1;
    }
    if (file.load() != 0)
    {
        Kavro::ReportLoadFailure(table, "the glyph table could not be read whole");
        return -1;
    }
    const size_t size = file.getFileSize();
    const uint8_t* data = file.getLoadData();
    if (size > 0 && !data)
        return -1;
    const size_t count = size / RecordSize;
    int highestPage = 0;
    for (size_t i = 0; i < count; ++i)
        highestPage = std::max<int>(highestPage, data[i * RecordSize + 8]);
    if (loadPages(prefix, highestPage) != 0)
        return -1;
    maxWidth = 0;
    maxHeight = 0;
    buildGlyphs(data, count);
    return 0;
}

int CBitmapFont::loadPages(const std::string& prefix, int highestPage)
{
    const InterfaceRef<Kavro::IRenderDevice> device = acquireRenderDevice();
    if (!device)
        return -1;
    for (int page = 0; page <= highestPage; ++page)
    {
        const std::string path = prefix + std::to_string(page) + ".png";
        TextureRef texture = TextureRef::adopt(device->loadTexture(path.c_str(), 0, 0));
        if (!texture)
            return -1;
        pages.push_back(std::move(texture));
    }
    return 0;
}

void CBitmapFont::buildGlyphs(const uint8_t* records, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        const uint8_t* r = records + i * RecordSize;
        const uint32_t key = readU16(r);
        if (glyphs.count(key))
            continue; // the first record of a code wins
        FontGlyph glyph;
        glyph.texture = pages[r[8]];
        glyph.width = r[2];
        glyph.height = r[3];
        glyph.x = readU16(r + 4);
        glyph.y = readU16(r + 6);
        maxWidth = std::max(maxWidth, glyph.width);
        maxHeight = std::max(maxHeight, glyph.height);
        glyphs.emplace(key, std::move(glyph));
    }
}

FontGlyph CBitmapFont::getGlyph(uint32_t code, int italic)
{
    const uint32_t key = italic ? (code | ItalicGlyphBit) : code;
    const auto found = glyphs.find(key);
    if (found != glyphs.end())
        return found->second;
    FontGlyph blank;
    blank.width = maxWidth;
    blank.height = maxHeight;
    return blank;
}

int CBitmapFont::unload()
{
    glyphs.clear();
    pages.clear();
    return 0;
}

} // namespace Orvane
