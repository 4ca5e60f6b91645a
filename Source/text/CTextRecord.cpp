#include "text/CText.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "sprite/CEffectRandomShake.h"
#include "sprite/CEffectShake.h"

#include <bit>

namespace Orvane
{

namespace
{

// Little-endian words as one field, whatever the host's byte order.
template <size_t N> bool writeWords(CChunkWriter& chunk, const std::array<uint32_t, N>& words)
{
    std::array<uint8_t, N * 4> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(words[i / 4] >> (8 * (i % 4)));
    return chunk.field(bytes.data(), uint32_t(bytes.size()));
}

template <size_t N> bool readWords(CChunkReader& chunk, std::array<uint32_t, N>& words)
{
    std::array<uint8_t, N * 4> bytes{};
    if (!chunk.field(bytes.data(), uint32_t(bytes.size())))
        return false;
    words.fill(0);
    for (size_t i = 0; i < bytes.size(); ++i)
        words[i / 4] |= uint32_t(bytes[i]) << (8 * (i % 4));
    return true;
}

// A nested interpolator chunk as one field.
template <class T> bool writeInterpolator(CChunkWriter& chunk, CFile& file, const CInterpolator<T>& interpolator)
{
    return chunk.marker() && interpolator.write(file) == 1;
}

template <class T> bool readInterpolator(CChunkReader& chunk, CFile& file, CInterpolator<T>& interpolator)
{
    return chunk.marker() && chunk.check(interpolator.read(file) == 1);
}

bool writeFlag(CChunkWriter& chunk, int32_t flag)
{
    return chunk.fieldDword(uint32_t(flag));
}

bool readFlag(CChunkReader& chunk, int32_t& flag)
{
    uint32_t bits = 0;
    if (!chunk.fieldDword(bits))
        return false;
    flag = int32_t(bits);
    return true;
}

// The shake type (0 without an effect) and, for a shake, a marker and the effect's own record.
bool writeShake(CChunkWriter& chunk, CFile& file, const CObject* slot)
{
    const auto* effect = dynamic_cast<const CEffectShake*>(slot);
    const uint32_t type = effect ? effect->type : 0;
    if (!chunk.fieldDword(type))
        return false;
    return type == 0 || (chunk.marker() && effect->save(file) == 1);
}

// Replaces the effect in slot by the one the record holds: none for type 0 or a type it does not
// know, and none when the effect's record is damaged, so no half-loaded shake is left running.
template <class Slot> bool readShake(CChunkReader& chunk, CFile& file, Slot*& slot)
{
    if (slot)
        slot->release();
    slot = nullptr;
    uint32_t type = 0;
    if (!chunk.fieldDword(type))
        return false;
    if (type != 1 && type != 2)
        return true;
    CEffectShake* effect = type == 1 ? new CEffectShake : new CEffectRandomShake;
    if (!(chunk.marker() && chunk.check(effect->load(file) == 1)))
    {
        effect->release();
        return false;
    }
    slot = effect;
    return true;
}

} // namespace

int CText::writeGlyph(CFile& file, const Glyph& g)
{
    CChunkWriter chunk(file);
    bool ok = writeWords<4>(chunk, {uint32_t(g.texX), uint32_t(g.texY), uint32_t(g.width), uint32_t(g.height)}) &&
              writeWords<2>(chunk, {std::bit_cast<uint32_t>(g.position.x), std::bit_cast<uint32_t>(g.position.y)}) &&
              chunk.fieldFloat(g.typeAlpha) && chunk.fieldFloat(g.typeStart) && chunk.fieldDword(g.code) &&
              writeFlag(chunk, g.dirty) && writeFlag(chunk, g.fading) &&
              writeInterpolator(chunk, file, g.alphaInterpolator) && writeFlag(chunk, g.moving) &&
              writeInterpolator(chunk, file, g.moveInterpolator) && writeFlag(chunk, g.scaling) &&
              writeInterpolator(chunk, file, g.scaleInterpolator) && writeFlag(chunk, g.rotating) &&
              writeInterpolator(chunk, file, g.rotateInterpolator) && writeFlag(chunk, g.coloring);
    for (size_t k = 0; ok && k < 4; ++k)
        ok = writeInterpolator(chunk, file, g.colorInterpolators[k]) && chunk.fieldDword(g.colors[k]);
    ok = ok && writeShake(chunk, file, g.shakeEffect);
    return chunk.close() && ok ? 1 : 0;
}

int CText::readGlyph(CFile& file, Glyph& g)
{
    CChunkReader chunk(file);
    std::array<uint32_t, 4> rect{};
    std::array<uint32_t, 2> position{};
    bool ok = readWords(chunk, rect) && readWords(chunk, position);
    if (ok)
    {
        g.texX = int32_t(rect[0]);
        g.texY = int32_t(rect[1]);
        g.width = int32_t(rect[2]);
        g.height = int32_t(rect[3]);
        g.position = {std::bit_cast<float>(position[0]), std::bit_cast<float>(position[1])};
    }
    ok = ok && chunk.fieldFloat(g.typeAlpha) && chunk.fieldFloat(g.typeStart) && chunk.fieldDword(g.code) &&
         readFlag(chunk, g.dirty) && readFlag(chunk, g.fading) && readInterpolator(chunk, file, g.alphaInterpolator) &&
         readFlag(chunk, g.moving) && readInterpolator(chunk, file, g.moveInterpolator) &&
         readFlag(chunk, g.scaling) && readInterpolator(chunk, file, g.scaleInterpolator) &&
         readFlag(chunk, g.rotating) && readInterpolator(chunk, file, g.rotateInterpolator) &&
         readFlag(chunk, g.coloring);
    for (size_t k = 0; ok && k < 4; ++k)
        ok = readInterpolator(chunk, file, g.colorInterpolators[k]) && chunk.fieldDword(g.colors[k]);
    if (ok)
        readShake(chunk, file, g.shakeEffect);
    return chunk.finish();
}

int CText::serialize(CFile& file)
{
    CChunkWriter chunk(file);
    auto writeGlyphs = [&](const std::vector<Glyph*>& list) {
        if (!chunk.fieldDword(uint32_t(list.size())))
            return false;
        for (const Glyph* g : list)
            if (writeGlyph(file, *g) != 1)
                return false;
        return true;
    };
    const bool ok = writeShake(chunk, file, shakeEffect) && writeGlyphs(glyphList) && writeGlyphs(rubyGlyphList);
    return chunk.close() && ok ? 1 : 0;
}

int CText::deserialize(CFile& file)
{
    CChunkReader chunk(file);
    // A count of 0 restores nothing; any other count must match the text laid out again.
    auto readGlyphs = [&](const std::vector<Glyph*>& list) {
        uint32_t count = 0;
        if (!chunk.fieldDword(count))
            return false;
        if (count != 0 && count != list.size())
            return chunk.check(false);
        for (uint32_t i = 0; i < count; ++i)
            if (!chunk.check(readGlyph(file, *list[i]) == 1))
                return false;
        return true;
    };
    const bool ok = readShake(chunk, file, shakeEffect) && readGlyphs(glyphList) && readGlyphs(rubyGlyphList);
    if (ok)
        markDirty();
    return chunk.finish();
}

} // namespace Orvane
