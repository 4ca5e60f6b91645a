#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane
{

// The two line-breaking character sets (UTF-16 code units) that text layout consults. They live
// for the whole process and survive soft resets; characters are only ever added.
enum class NGCodeSet
{
    HeadOfLine, // must not begin a line
    EndOfLine,  // must not end a line
};

// Appends the default characters to both sets (they may then stand twice, which changes nothing).
void resetNGCodes();
// Adds each unit that the set does not hold yet.
void addNGCodes(NGCodeSet set, const std::u16string& units);
bool isNGCode(NGCodeSet set, uint32_t unit);
const std::vector<uint32_t>& getNGCodes(NGCodeSet set);

} // namespace Orvane
