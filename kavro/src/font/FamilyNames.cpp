#include "font/FamilyNames.h"

#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>

namespace Kavro
{

namespace
{

void appendUtf8(std::string& out, uint32_t u)
{
    if (u < 0x80)
        out += char(u);
    else if (u < 0x800)
    {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    }
    else if (u < 0x10000)
    {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
    else
    {
        out += char(0xF0 | (u >> 18));
        out += char(0x80 | ((u >> 12) & 0x3F));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

std::string fromUtf16BigEndian(const FT_Byte* bytes, FT_UInt length)
{
    std::string out;
    for (FT_UInt i = 0; i + 1 < length; i += 2)
    {
        uint32_t u = uint32_t(bytes[i] << 8 | bytes[i + 1]);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < length)
        {
            const uint32_t low = uint32_t(bytes[i + 2] << 8 | bytes[i + 3]);
            if (low >= 0xDC00 && low < 0xE000)
            {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, u);
    }
    return out;
}

// Names of the Macintosh platform in the Roman encoding; only their ASCII part is taken.
std::string fromMacRoman(const FT_Byte* bytes, FT_UInt length)
{
    const bool ascii = std::all_of(bytes, bytes + length, [](FT_Byte b) { return b < 0x80; });
    return ascii ? std::string(reinterpret_cast<const char*>(bytes), length) : std::string();
}

std::string decodeName(const FT_SfntName& name)
{
    if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE)
        return fromUtf16BigEndian(name.string, name.string_len);
    if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN)
        return fromMacRoman(name.string, name.string_len);
    return {};
}

} // namespace

std::vector<std::string> FamilyNames(FT_Face face)
{
    std::vector<std::string> names;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i)
    {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0)
            continue;
        if (name.name_id != TT_NAME_ID_FONT_FAMILY && name.name_id != TT_NAME_ID_TYPOGRAPHIC_FAMILY)
            continue;
        std::string text = decodeName(name);
        if (!text.empty() && std::find(names.begin(), names.end(), text) == names.end())
            names.push_back(std::move(text));
    }
    if (names.empty() && face->family_name)
        names.emplace_back(face->family_name);
    return names;
}

bool SameFamily(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace Kavro
