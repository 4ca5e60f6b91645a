#include "font/CFontRegistry.h"

#include "font/FamilyNames.h"

#include FT_TRUETYPE_TABLES_H

#include <climits>
#include <cstdlib>

namespace Kavro
{

FT_Face FaceSource::open(FT_Library library) const
{
    FT_Face face = nullptr;
    const FT_Error error = bytes ? FT_New_Memory_Face(library, bytes->data(), FT_Long(bytes->size()), index, &face)
                                 : FT_New_Face(library, path.c_str(), index, &face);
    return error == 0 ? face : nullptr;
}

int FaceWeight(FT_Face face)
{
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWeightClass > 0)
        return os2->usWeightClass;
    return (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
}

int CFontRegistry::add(FT_Library library, const uint8_t* data, size_t size)
{
    if (!data || size == 0)
        return 0;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    FaceSource first{{}, bytes, 0};
    FT_Face face = first.open(library);
    if (!face)
        return 0;
    const long faceCount = face->num_faces;
    FT_Done_Face(face);
    int added = 0;
    for (long index = 0; index < faceCount; ++index)
    {
        FaceSource source{{}, bytes, index};
        FT_Face each = source.open(library);
        if (!each)
            continue;
        entries_.push_back({FamilyNames(each), source, FaceWeight(each), (each->style_flags & FT_STYLE_FLAG_ITALIC) != 0});
        FT_Done_Face(each);
        ++added;
    }
    return added;
}

bool CFontRegistry::find(const std::string& family, int weight, bool italic, FaceSource& out) const
{
    int best = INT_MAX;
    for (const Entry& entry : entries_)
    {
        bool named = false;
        for (const std::string& name : entry.names)
            named = named || SameFamily(name, family);
        if (!named)
            continue;
        const int distance = std::abs(entry.weight - weight) + (entry.italic != italic ? 1000 : 0);
        if (distance < best)
        {
            best = distance;
            out = entry.source;
        }
    }
    return best != INT_MAX;
}

} // namespace Kavro
