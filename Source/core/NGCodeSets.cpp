#include "core/NGCodeSets.h"

#include <algorithm>

namespace Orvane
{

namespace
{

std::vector<uint32_t>& codes(NGCodeSet set)
{
    static std::vector<uint32_t> headOfLine;
    static std::vector<uint32_t> endOfLine;
    return set == NGCodeSet::HeadOfLine ? headOfLine : endOfLine;
}

const char16_t DefaultHeadOfLine[] = u"、。，．？！゜｀）〕］｝〉》」』】";
const char16_t DefaultEndOfLine[] = u"‘“（〔［｛〈《「『【";

void appendAll(std::vector<uint32_t>& set, const std::u16string& units)
{
    set.insert(set.end(), units.begin(), units.end());
}

} // namespace

void resetNGCodes()
{
    appendAll(codes(NGCodeSet::HeadOfLine), DefaultHeadOfLine);
    appendAll(codes(NGCodeSet::EndOfLine), DefaultEndOfLine);
}

void addNGCodes(NGCodeSet set, const std::u16string& units)
{
    for (char16_t unit : units)
        if (!isNGCode(set, unit)) codes(set).push_back(unit);
}

bool isNGCode(NGCodeSet set, uint32_t unit)
{
    const auto& held = codes(set);
    return std::find(held.begin(), held.end(), unit) != held.end();
}

const std::vector<uint32_t>& getNGCodes(NGCodeSet set) { return codes(set); }

} // namespace Orvane
