#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace Kavro
{

// Every family name of a face's name table, in any language, as UTF-8.
std::vector<std::string> FamilyNames(FT_Face face);
// ASCII letters compared without case, every other byte exactly.
bool SameFamily(const std::string& a, const std::string& b);

} // namespace Kavro
